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
    for (const EffectCommand &e : effects_)
        connect(e.command, &QAction::triggered, this, [this, &e] { runEffectCommand(e); });
}

bool TForm1::effectIsOn(EffectKind kind) const
{
    for (const EffectCommand &e : effects_) {
        if (e.effect->kind == kind)
            return e.command->isChecked();
    }
    return false;
}

void TForm1::runEffectCommand(const EffectCommand &e)
{
    // The action has already flipped its own check; the mark is what it was before.
    const bool markOn = !e.command->isChecked();
    e.command->setChecked(markOn);
    if (markOn) {
        ClearEffects(EffectClearing::Restore);
        return;
    }
    if (!ConfirmLargeEffect())
        return;
    for (const EffectNote &note : e.effect->notes) {
        if (note.text && effectIsOn(note.whileOn)) {
            services_.dialogs.message(this, QString::fromUtf16(note.text), MainTexts::kEffectNoteCaption,
                                      Dialogs::Kind::Notice);
            break;
        }
    }
    if (ApplyEffect(e.effect->kind))
        e.command->setChecked(true);
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

bool TForm1::ApplyEffect(EffectKind kind)
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
    if (findEffect(kind)->wrapsAtEdge)
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

void TForm1::ClearEffects(EffectClearing mode)
{
    if (mode != EffectClearing::Discard)
        RestoreUnprocessedText();
    for (const EffectCommand &e : effects_)
        e.command->setChecked(false);
    if (mode == EffectClearing::Discard) {
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
    for (const EffectCommand &e : effects_) {
        e.button->setProperty("limitEnabled", within);
        e.entry->setProperty("limitEnabled", within);
        e.button->setEnabled(within && e.command->isEnabled());
        e.entry->setEnabled(within && e.command->isEnabled());
    }
}
