// The display effects: transforms of the view's text through the two work files.
#include "ui/Mainunit.h"

#include "core/DocumentEncoding.h"
#include "core/PathForm.h"
#include "core/SystemErrors.h"
#include "platform/Dialogs.h"
#include "platform/FileSystem.h"
#include "platform/ProgramFolder.h"
#include "platform/WorkFiles.h"
#include "resources/MainTexts.h"
#include "ui/widgets/TextView.h"

#include <QAction>
#include <QApplication>
#include <QToolButton>

namespace {
constexpr qint64 kConfirmAbove = 524288;
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

QByteArray TForm1::effectInput() const
{
    if (!RichEdit->isModified()) {
        if (ShownEffectBytes)
            return *ShownEffectBytes;
        if (const std::optional<QByteArray> own = FileSystem::readIfUnchanged(FileNameNow(), ShownFile))
            return DocumentEncoding::byteFormOfFile(*own, ShownEncoding);
    }
    return DocumentEncoding::encode(RichEdit->text(), RichEdit->byteForm());
}

bool TForm1::ApplyEffect(QChar kind)
{
    WorkFiles::Run run = WorkFiles::runEffect(kind, effectInput(), WorkFolder());
    switch (run.failure) {
    case WorkFiles::Failure::None:
        break;
    case WorkFiles::Failure::CreateOutput:
        services_.dialogs.message(this, MainTexts::kWorkFileCreateText, MainTexts::kWorkFileCreateCaption,
                                  Dialogs::Kind::Failure);
        return false;
    case WorkFiles::Failure::OpenInput:
        services_.dialogs.message(this, MainTexts::kWorkFileOpenText, MainTexts::kWorkFileOpenCaption,
                                  Dialogs::Kind::Failure);
        return false;
    case WorkFiles::Failure::WriteInput:
    case WorkFiles::Failure::Transform:
        services_.dialogs.message(this,
                                  PathForm::displayName(run.path) + QStringLiteral("\n\n")
                                      + SystemErrors::text(run.error),
                                  windowTitle(), Dialogs::Kind::Failure);
        return false;
    }
    KeepUnprocessedText();
    RichEdit->setText(DocumentEncoding::decode(*run.output, RichEdit->byteForm()));
    ShownEffectBytes = std::move(run.output);
    DeleteWorkFiles();
    if (kind == QLatin1Char('C'))
        ActionWrapSideExecute();
    return true;
}

void TForm1::KeepUnprocessedText()
{
    if (!RichEditForBackup->isEmpty())
        return;
    RichEditForBackup->setText(RichEdit->text());
    backupEffectBytes_ = ShownEffectBytes;
    backupModified_ = RichEdit->isModified();
}

void TForm1::ClearEffects(QChar mode)
{
    if (mode != QLatin1Char('N'))
        RestoreUnprocessedText();
    for (QAction *a : effectCommands())
        a->setChecked(false);
    if (mode == QLatin1Char('N')) {
        // The shown text stays, and with it the bytes it was made from.
        RichEditForBackup->setText(QString());
        backupEffectBytes_.reset();
    }
}

void TForm1::RestoreUnprocessedText()
{
    RichEdit->setText(RichEditForBackup->text());
    RichEdit->setModified(backupModified_);
    ShownEffectBytes = std::exchange(backupEffectBytes_, std::nullopt);
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
