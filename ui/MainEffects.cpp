// The display effects: transforms of the view's text through the two work files.
#include "ui/Mainunit.h"

#include "core/DocumentEncoding.h"
#include "core/Effects.h"
#include "platform/Dialogs.h"
#include "platform/FileSystem.h"
#include "platform/ProgramFolder.h"
#include "resources/MainTexts.h"
#include "ui/widgets/TextView.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QToolButton>

namespace {
constexpr qint64 kConfirmAbove = 524288;
const QString kWorkFile = QStringLiteral("FORWORK.TMP");
const QString kEffectFile = QStringLiteral("EFFECT.TMP");
} // namespace

void TForm1::connectEffects()
{
    connect(ActionNoCRLF, &QAction::triggered, this, &TForm1::ActionNoCRLFExecute);
    connect(ActionNoSpace, &QAction::triggered, this, &TForm1::ActionNoSpaceExecute);
    connect(ActionNoHtmlTag, &QAction::triggered, this, &TForm1::ActionNoHtmlTagExecute);
    connect(ActionNoTFS, &QAction::triggered, this, &TForm1::ActionNoTFSExecute);
    connect(ActionNumbering, &QAction::triggered, this, &TForm1::ActionNumberingExecute);
}

QList<QAction *> TForm1::effectCommands() const
{
    return {ActionNoCRLF, ActionNoSpace, ActionNoHtmlTag, ActionNoTFS, ActionNumbering};
}

void TForm1::ActionNoCRLFExecute()
{
    runEffectCommand(ActionNoCRLF, QLatin1Char('C'));
}

void TForm1::ActionNoSpaceExecute()
{
    runEffectCommand(ActionNoSpace, QLatin1Char('S'));
}

void TForm1::ActionNoHtmlTagExecute()
{
    runEffectCommand(ActionNoHtmlTag, QLatin1Char('T'));
}

void TForm1::ActionNoTFSExecute()
{
    runEffectCommand(ActionNoTFS, QLatin1Char('F'));
}

void TForm1::ActionNumberingExecute()
{
    runEffectCommand(ActionNumbering, QLatin1Char('N'));
}

void TForm1::runEffectCommand(QAction *command, QChar kind)
{
    // The action has already flipped its own check; the mark is what it was before.
    const bool markOn = !command->isChecked();
    command->setChecked(markOn);
    if (markOn) {
        ClearEffects(QLatin1Char('D'));
        return;
    }
    if (!ConfirmLargeEffect())
        return;
    QString note;
    if (kind == QLatin1Char('N') && ActionNoCRLF->isChecked())
        note = MainTexts::kNoteNumberingAfterNoCRLF;
    else if (kind == QLatin1Char('F') && ActionNumbering->isChecked())
        note = MainTexts::kNoteNoTFSAfterNumbering;
    else if (kind == QLatin1Char('F') && ActionNoCRLF->isChecked())
        note = MainTexts::kNoteNoTFSAfterNoCRLF;
    if (!note.isEmpty())
        services_.dialogs.message(this, note, MainTexts::kEffectNoteCaption, Dialogs::Kind::Notice);
    if (ApplyEffect(kind))
        command->setChecked(true);
}

bool TForm1::ConfirmLargeEffect()
{
    if (RichEdit->byteLength() <= kConfirmAbove)
        return true;
    return services_.dialogs.message(this, MainTexts::kLargeEffectText, MainTexts::kLargeEffectCaption,
                                     Dialogs::Kind::Confirm)
        == Dialogs::Answer::Yes;
}

bool TForm1::ApplyEffect(QChar kind)
{
    const QString folder = WorkFolder();
    {
        QFile work(folder + kWorkFile);
        if (!work.open(QIODevice::WriteOnly | QIODevice::Truncate)
            || work.write(DocumentEncoding::encode(RichEdit->text(), RichEdit->byteForm())) < 0 || !work.flush()) {
            services_.dialogs.message(this, work.errorString(), windowTitle(), Dialogs::Kind::Failure);
            return false;
        }
    }
    QFile effect(folder + kEffectFile);
    if (!effect.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        services_.dialogs.message(this, MainTexts::kWorkFileCreateText, MainTexts::kWorkFileCreateCaption,
                                  Dialogs::Kind::Failure);
        return false;
    }
    QFile work(folder + kWorkFile);
    if (!work.open(QIODevice::ReadOnly)) {
        effect.close();
        services_.dialogs.message(this, MainTexts::kWorkFileOpenText, MainTexts::kWorkFileOpenCaption,
                                  Dialogs::Kind::Failure);
        return false;
    }
    const bool transformed = Effects::transform(kind, work, effect);
    work.close();
    effect.close();
    const FileSystem::ReadResult result = FileSystem::readWholeFile(folder + kEffectFile);
    if (!transformed || !result.bytes) {
        services_.dialogs.message(this, result.bytes ? effect.errorString() : result.error,
                                  windowTitle(), Dialogs::Kind::Failure);
        return false;
    }
    KeepUnprocessedText();
    RichEdit->setText(DocumentEncoding::decode(*result.bytes, RichEdit->byteForm()));
    DeleteWorkFiles();
    if (kind == QLatin1Char('C'))
        ActionWrapSideExecute();
    return true;
}

void TForm1::KeepUnprocessedText()
{
    if (RichEditForBackup->isEmpty())
        RichEditForBackup->setText(RichEdit->text());
}

void TForm1::ClearEffects(QChar mode)
{
    if (mode != QLatin1Char('N'))
        RestoreUnprocessedText();
    for (QAction *a : effectCommands())
        a->setChecked(false);
    if (mode == QLatin1Char('N'))
        RichEditForBackup->setText(QString());
}

void TForm1::RestoreUnprocessedText()
{
    RichEdit->setText(RichEditForBackup->text());
    RichEditForBackup->setText(QString());
    RichEdit->moveCaretToStart();
}

void TForm1::setEffectsWithinLimit(bool within)
{
    // Above the limit the buttons and menu entries are off while the keys still reach the commands.
    const QList<QAction *> commands = effectCommands();
    const QList<QToolButton *> buttons{ToolButton12, ToolButton13, ToolButton14, ToolButton18, ToolButton17};
    const QList<QAction *> entries{StyleNoCRLF, StyleNoSpace, StyleTag, StyleNoTFS, StyleNumbering};
    for (int i = 0; i < commands.size(); ++i) {
        buttons[i]->setProperty("limitEnabled", within);
        entries[i]->setProperty("limitEnabled", within);
        buttons[i]->setEnabled(within && commands[i]->isEnabled());
        entries[i]->setEnabled(within && commands[i]->isEnabled());
    }
}
