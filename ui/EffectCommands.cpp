// The display effects, shown through the work files, and Aozora Bunko texts shown as books.
#include "ui/EffectCommands.h"

#include "core/Aozora.h"
#include "platform/Desktop.h"
#include "platform/Dialogs.h"
#include "resources/AozoraTexts.h"
#include "resources/MainTexts.h"
#include "ui/ReadingSession.h"
#include "ui/WindowCommand.h"
#include "ui/widgets/TextView.h"

#include <QAction>
#include <QToolButton>

#include <algorithm>

namespace {
constexpr qint64 kConfirmAbove = 524288;
} // namespace

EffectCommands::EffectCommands(Host host, QObject *parent) : QObject(parent), host_(std::move(host))
{
    for (const Effect &effect : kEffects) {
        QAction *command = windowCommand(host_.window, effect.command, QString::fromUtf16(effect.caption), effect.key);
        command->setCheckable(true);
        commands_.push_back({&effect, command});
    }
    book_ = windowCommand(host_.window, "ActionAozora", AozoraTexts::kCommand, "");
    book_->setCheckable(true);
    book_->setToolTip(AozoraTexts::kHint);
    copyWithReadings_ = windowCommand(host_.window, "ActionCopyWithReadings", AozoraTexts::kCopyWithReadings,
                                      "Ctrl+Shift+C");
}

void EffectCommands::connectCommands()
{
    for (const Command &e : commands_)
        connect(e.command, &QAction::triggered, this, [this, &e] { runEffectCommand(e); });
    ReadingSession &session = host_.session;
    TextView *view = host_.view;
    connect(book_, &QAction::triggered, this, [this, &session](bool on) {
        session.setBooks(on);
        showEffectMarks();
    });
    // The explanation of the marks opens and folds in place, the reader's place kept.
    connect(view, &TextView::explanationClicked, this, [&session, view] {
        const Aozora::Book *book = session.document().book();
        if (!book || book->explanationLine < 0)
            return;
        const qint64 at = book->lines[size_t(book->explanationLine)].start;
        const qint64 top = std::min(view->topPosition(), at);
        session.model().openExplanation(!session.document().explanationOpen());
        view->showPlace(top, at, true);
        session.showLineCount();
    });
    connect(copyWithReadings_, &QAction::triggered, this, [this, &session, view] {
        const Aozora::Book *book = session.document().book();
        if (!book || !host_.viewHasFocus() || !view->hasSelection()) {
            host_.copy->trigger();
            return;
        }
        const qint64 start = view->selectionStart();
        Desktop::setClipboardText(Aozora::withReadings(*book, {start, view->selectionEnd() - start}));
    });
}

void EffectCommands::runEffectCommand(const Command &e)
{
    ReadingSession &session = host_.session;
    // The action has already flipped its own check; the marks follow the document.
    showEffectMarks();
    if (session.document().effects().has(e.effect->kind)) {
        session.clearEffects(EffectClearing::Restore);
        showEffectMarks();
        return;
    }
    if (!ConfirmLargeEffect())
        return;
    for (const EffectNote &note : e.effect->notes) {
        if (note.text && session.document().effects().has(note.whileOn)) {
            host_.dialogs.message(host_.window, QString::fromUtf16(note.text), MainTexts::kEffectNoteCaption,
                                  Dialogs::Kind::Notice);
            break;
        }
    }
    if (!session.applyEffect(e.effect->kind))
        return;
    showEffectMarks();
    if (e.effect->wrapsAtEdge)
        host_.wrapAtEdge();
}

bool EffectCommands::ConfirmLargeEffect()
{
    if (host_.session.document().byteLength() <= kConfirmAbove)
        return true;
    return host_.dialogs.message(host_.window, MainTexts::kLargeEffectText, MainTexts::kLargeEffectCaption,
                                 Dialogs::Kind::Confirm)
        == Dialogs::Answer::Yes;
}

void EffectCommands::showEffectMarks()
{
    const Document &document = host_.session.document();
    for (const Command &e : commands_)
        e.command->setChecked(document.effects().has(e.effect->kind));
    book_->setChecked(document.book() != nullptr);
}

void EffectCommands::showState(bool withinLimit)
{
    const bool hasText = !host_.session.document().isEmpty();
    showEffectMarks();
    book_->setEnabled(hasText);
    // Above the limit the buttons and menu entries are off while the keys still reach the commands.
    for (const Command &e : commands_) {
        e.command->setEnabled(hasText);
        e.button->setProperty("limitEnabled", withinLimit);
        e.entry->setProperty("limitEnabled", withinLimit);
        e.button->setEnabled(withinLimit && hasText);
        e.entry->setEnabled(withinLimit && hasText);
    }
}
