// The display effects: transforms of the view's text through the two work files.
#include "ui/MainWindow.h"

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

void MainWindow::connectEffects()
{
    for (const EffectCommand &e : effects_)
        connect(e.command, &QAction::triggered, this, [this, &e] { runEffectCommand(e); });
}

void MainWindow::runEffectCommand(const EffectCommand &e)
{
    // The action has already flipped its own check; the marks follow the document.
    showEffectMarks();
    if (model_->document().effects().has(e.effect->kind)) {
        ClearEffects(EffectClearing::Restore);
        return;
    }
    if (!ConfirmLargeEffect())
        return;
    for (const EffectNote &note : e.effect->notes) {
        if (note.text && model_->document().effects().has(note.whileOn)) {
            services_.dialogs.message(this, QString::fromUtf16(note.text), MainTexts::kEffectNoteCaption,
                                      Dialogs::Kind::Notice);
            break;
        }
    }
    ApplyEffect(e.effect->kind);
}

bool MainWindow::ConfirmLargeEffect()
{
    if (model_->document().byteLength() <= kConfirmAbove)
        return true;
    return services_.dialogs.message(this, MainTexts::kLargeEffectText, MainTexts::kLargeEffectCaption,
                                     Dialogs::Kind::Confirm)
        == Dialogs::Answer::Yes;
}

bool MainWindow::ApplyEffect(EffectKind kind)
{
    WorkFiles::Run run = WorkFiles::runEffect(kind, model_->document().effectInput(), WorkFolder());
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
    model_->applyEffect(kind, std::move(*run.output));
    showEffectMarks();
    DeleteWorkFiles();
    if (findEffect(kind)->wrapsAtEdge)
        ActionWrapSideExecute();
    return true;
}

void MainWindow::ClearEffects(EffectClearing mode)
{
    if (mode == EffectClearing::Discard) {
        // The shown text stays, and with it the bytes it was made from.
        model_->forgetUnprocessed();
    } else {
        model_->restoreUnprocessed();
    }
    showEffectMarks();
}

void MainWindow::showEffectMarks()
{
    for (const EffectCommand &e : effects_)
        e.command->setChecked(model_->document().effects().has(e.effect->kind));
}

void MainWindow::setEffectsWithinLimit(bool within)
{
    // Above the limit the buttons and menu entries are off while the keys still reach the commands.
    for (const EffectCommand &e : effects_) {
        e.button->setProperty("limitEnabled", within);
        e.entry->setProperty("limitEnabled", within);
        e.button->setEnabled(within && e.command->isEnabled());
        e.entry->setEnabled(within && e.command->isEnabled());
    }
}
