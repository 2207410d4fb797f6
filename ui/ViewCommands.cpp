// Commands that act on the view itself: wrapping, font, copy and select-all, the caret.
#include "ui/ViewCommands.h"

#include "platform/Desktop.h"
#include "platform/Dialogs.h"
#include "resources/MainTexts.h"
#include "ui/AddressBar.h"
#include "ui/FileSelectionBox.h"
#include "ui/SearchBar.h"
#include "ui/StatusReport.h"
#include "ui/widgets/TextView.h"

#include <QAction>
#include <QFontInfo>
#include <QKeyEvent>
#include <QWheelEvent>

namespace {

// Ctrl with the wheel steps the text size as the size commands do, one step a notch; a wheel
// with finer steps adds them up to whole notches.
class WheelZoom : public QObject {
public:
    WheelZoom(QWidget *target, std::function<void(int)> step) : QObject(target), step_(std::move(step))
    {
        target->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() != QEvent::Wheel)
            return false;
        const auto *wheel = static_cast<QWheelEvent *>(event);
        if (!(wheel->modifiers() & Qt::ControlModifier))
            return false;
        const int delta = wheel->angleDelta().y();
        if ((delta > 0) != (pending_ > 0))
            pending_ = 0; // a turn the other way starts afresh
        pending_ += delta;
        for (; pending_ >= QWheelEvent::DefaultDeltasPerStep; pending_ -= QWheelEvent::DefaultDeltasPerStep)
            step_(+1);
        for (; pending_ <= -QWheelEvent::DefaultDeltasPerStep; pending_ += QWheelEvent::DefaultDeltasPerStep)
            step_(-1);
        return true;
    }

private:
    std::function<void(int)> step_;
    int pending_ = 0;
};

} // namespace

ViewCommands::ViewCommands(Host host, Commands commands, QObject *parent)
    : QObject(parent), host_(host), commands_(commands)
{
    const Commands &c = commands_;
    connect(c.wrapNone, &QAction::triggered, this, [this] { setWrapCommand(WrapMode::None); });
    connect(c.wrapColumn, &QAction::triggered, this, [this] { setWrapCommand(WrapMode::Column); });
    connect(c.wrapEdge, &QAction::triggered, this, &ViewCommands::ActionWrapSideExecute);
    connect(c.setFont, &QAction::triggered, this, &ViewCommands::ActionSetFontExecute);
    connect(c.fontSizeUp, &QAction::triggered, this, [this] { stepFontSize(1); });
    connect(c.fontSizeDown, &QAction::triggered, this, [this] { stepFontSize(-1); });
    connectZoom();
    connect(c.copy, &QAction::triggered, this, &ViewCommands::ActionCopyExecute);
    connect(c.selectAll, &QAction::triggered, this, &ViewCommands::ActionSelectAllExecute);
    connect(c.writeMode, &QAction::triggered, this, [this] { host_.view->setReadOnly(false); });
    TextView *view = host_.view;
    connect(view, &TextView::cursorPositionChanged, this, &ViewCommands::RichEditSelectionChange);
    connect(view, &TextView::selectionChanged, this, &ViewCommands::RichEditSelectionChange);
    // A re-wrap changes the caret's line, not the text.
    connect(view, &TextView::displayLinesChanged, this, &ViewCommands::RichEditSelectionChange);
    // The copy and select-all keys reach the commands also from the address field.
    host_.pathBar->leaveKeysToWindow({c.copy->shortcut(), c.selectAll->shortcut()});
}

void ViewCommands::connectZoom()
{
    const Commands &c = commands_;
    // The keys other programs zoom with reach the size commands too. Ctrl++ stands also for
    // Ctrl+Shift+= of a US keyboard and Ctrl+Shift+; of a Japanese one, which X reports with
    // the plus among their possible keys; naming those as well would make the key ambiguous.
    c.fontSizeUp->setShortcuts({c.fontSizeUp->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Plus),
                                QKeySequence(Qt::CTRL | Qt::Key_Equal), QKeySequence(Qt::CTRL | Qt::Key_Semicolon)});
    c.fontSizeDown->setShortcuts({c.fontSizeDown->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Minus)});
    // A wheel turned on past the smallest or largest size stops there: no box stops the turn.
    new WheelZoom(host_.view->viewport(), [this](int step) { stepFontSize(step, false); });
    auto *reset = new QAction(host_.window);
    reset->setObjectName(QStringLiteral("ActionFontSizeReset"));
    reset->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_0));
    reset->setShortcutContext(Qt::WindowShortcut);
    host_.window->addAction(reset);
    connect(reset, &QAction::triggered, this, [this] {
        QFont font = host_.view->font();
        font.setPointSize(host_.settings.startFontSize());
        host_.view->setFont(font);
        UpdateFontSizeHints();
    });
}

bool ViewCommands::viewHasFocus() const
{
    const QWidget *focus = host_.window->focusWidget();
    return focus && (focus == host_.view || host_.view->isAncestorOf(focus));
}

bool ViewCommands::isCommandKey(QKeyEvent *event) const
{
    const QKeySequence pressed(event->keyCombination());
    return pressed == commands_.copy->shortcut() || pressed == commands_.selectAll->shortcut();
}

void ViewCommands::ApplyWrapMode(WrapMode mode)
{
    if (mode == WrapMode::RightEdge)
        host_.view->setWrap(true);
    else if (mode == WrapMode::None)
        host_.view->setWrap(false);
    syncWrapMarks();
}

void ViewCommands::syncWrapMarks()
{
    // The marks follow what the view does; the hidden column mode has no display of its own.
    commands_.wrapEdge->setChecked(host_.view->wraps());
    commands_.wrapNone->setChecked(!host_.view->wraps());
}

void ViewCommands::setWrapCommand(WrapMode mode)
{
    if (host_.settings.wrapMode() != mode) {
        host_.settings.setWrapMode(mode);
        ApplyWrapMode(mode);
    }
    syncWrapMarks();
}

void ViewCommands::ActionWrapSideExecute()
{
    setWrapCommand(WrapMode::RightEdge);
}

void ViewCommands::ActionSetFontExecute()
{
    TextView *view = host_.view;
    const QFont kept = view->font();
    // The dialog lists real faces only, so it starts on the face that stands in for the stored
    // name; confirming that very choice keeps the stored name.
    QFont start = kept;
    start.setFamily(QFontInfo(kept).family());
    const auto unchanged = [&start](const QFont &font) {
        return font.family() == start.family() && font.pointSize() == start.pointSize()
            && font.bold() == start.bold() && font.italic() == start.italic();
    };
    const auto take = [&](const QFont &font) { view->setFont(unchanged(font) ? kept : font); };
    const std::optional<QFont> chosen = host_.dialogs.chooseFont(host_.window, start, take);
    take(chosen ? *chosen : kept);
    UpdateFontSizeHints();
}

void ViewCommands::stepFontSize(int step, bool tellAtLimit)
{
    QFont font = host_.view->font();
    if (step > 0 && font.pointSize() >= SettingsRecord::kMaxFontSize) {
        if (tellAtLimit)
            host_.dialogs.message(host_.window, MainTexts::fontTooLargeText(font.pointSize()),
                                  MainTexts::kFontSizeCaption, Dialogs::Kind::Warning);
    } else if (step < 0 && font.pointSize() < 2) {
        if (tellAtLimit)
            host_.dialogs.message(host_.window, MainTexts::kFontTooSmallText, MainTexts::kFontSizeCaption,
                                  Dialogs::Kind::Warning);
    } else {
        font.setPointSize(font.pointSize() + step);
        host_.view->setFont(font);
    }
    UpdateFontSizeHints();
}

void ViewCommands::UpdateFontSizeHints()
{
    const QString size = QString::number(host_.view->font().pointSize());
    commands_.fontSizeUp->setToolTip(MainTexts::kHintFontUp.arg(size));
    commands_.fontSizeDown->setToolTip(MainTexts::kHintFontDown.arg(size));
}

void ViewCommands::ActionCopyExecute()
{
    if (viewHasFocus()) {
        if (!host_.view->hasSelection() || host_.mayReadThrough())
            host_.view->copy();
    }
    else if (host_.pathBar->fieldHasFocus())
        Desktop::setClipboardText(host_.pathBar->selectedText());
    else if (const std::optional<QString> listed = host_.box->copiedText())
        Desktop::setClipboardText(*listed);
    else // the clipboard's own text again, as plain text
        Desktop::setClipboardText(Desktop::clipboardText());
}

void ViewCommands::ActionSelectAllExecute()
{
    if (viewHasFocus())
        host_.view->selectAll();
    else if (host_.pathBar->fieldHasFocus())
        host_.pathBar->selectAll();
    else if (host_.searchBar->fieldHasFocus())
        host_.searchBar->selectWord();
}

void ViewCommands::MenuEditClick()
{
    QAction *copy = commands_.copy;
    QAction *selectAll = commands_.selectAll;
    if (viewHasFocus()) {
        copy->setEnabled(host_.view->hasSelection());
        selectAll->setEnabled(!host_.view->isEmpty());
    } else if (host_.pathBar->fieldHasFocus()) {
        copy->setEnabled(host_.pathBar->hasSelectedText());
        selectAll->setEnabled(!host_.pathBar->path().isEmpty());
    } else {
        copy->setEnabled(true);
        selectAll->setEnabled(true);
    }
}

void ViewCommands::RichEditSelectionChange()
{
    const qint64 caret = host_.view->selectionStart();
    const auto [line, lineStart] = host_.view->displayLineAt(caret);
    host_.status.showCaret(line, caret - lineStart);
}
