// Commands that act on the view itself: wrapping, font, copy and select-all, the caret.
#include "ui/MainWindow.h"

#include "core/StatusTexts.h"
#include "platform/Desktop.h"
#include "platform/Dialogs.h"
#include "resources/MainTexts.h"
#include "ui/AddressBar.h"
#include "ui/FileSelectionBox.h"
#include "ui/SearchBar.h"
#include "ui/widgets/TextView.h"

#include <QAction>
#include <QFontInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QToolButton>
#include <QWheelEvent>

namespace {

// Ctrl with the wheel steps the text size as the size commands do, one step a notch; a wheel
// with finer steps adds them up to whole notches.
class WheelZoom : public QObject {
public:
    WheelZoom(QWidget *target, QAction *larger, QAction *smaller) : QObject(target), larger_(larger), smaller_(smaller)
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
            larger_->trigger();
        for (; pending_ <= -QWheelEvent::DefaultDeltasPerStep; pending_ += QWheelEvent::DefaultDeltasPerStep)
            smaller_->trigger();
        return true;
    }

private:
    QAction *larger_;
    QAction *smaller_;
    int pending_ = 0;
};

} // namespace

void MainWindow::connectView()
{
    connect(ActionWrapNone, &QAction::triggered, this, &MainWindow::ActionWrapNoneExecute);
    connect(ActionWrapNum, &QAction::triggered, this, &MainWindow::ActionWrapNumExecute);
    connect(ActionWrapSide, &QAction::triggered, this, &MainWindow::ActionWrapSideExecute);
    connect(ActionSetFont, &QAction::triggered, this, &MainWindow::ActionSetFontExecute);
    connect(ActionFontSizeUp, &QAction::triggered, this, &MainWindow::ActionFontSizeUpExecute);
    connect(ActionFontSizeDown, &QAction::triggered, this, &MainWindow::ActionFontSizeDownExecute);
    connectZoom();
    connect(ActionCopy, &QAction::triggered, this, &MainWindow::ActionCopyExecute);
    connect(ActionSelectAll, &QAction::triggered, this, &MainWindow::ActionSelectAllExecute);
    connect(DebugWriteMode, &QAction::triggered, this, &MainWindow::DebugWriteModeClick);
    connect(RichEdit, &TextView::cursorPositionChanged, this, &MainWindow::RichEditSelectionChange);
    connect(RichEdit, &TextView::selectionChanged, this, &MainWindow::RichEditSelectionChange);
    // A re-wrap changes the line count and the caret's line, not the text.
    connect(RichEdit, &TextView::displayLinesChanged, this, [this] {
        showLineCount();
        RichEditSelectionChange();
    });
    for (QMenu *menu : {MenuEdit, PopupMenuView}) {
        connect(menu, &QMenu::aboutToShow, this, &MainWindow::MenuEditClick);
        // The menu shows what applies now; once it is closed the keys work wherever the focus goes.
        connect(menu, &QMenu::aboutToHide, this, [this] {
            ActionCopy->setEnabled(true);
            ActionSelectAll->setEnabled(true);
        });
    }
    // The copy and select-all keys reach the commands also from the address field.
    PanelPathBar->leaveKeysToWindow({ActionCopy->shortcut(), ActionSelectAll->shortcut()});
}

void MainWindow::connectZoom()
{
    // The keys other programs zoom with reach the size commands too. Ctrl++ stands also for
    // Ctrl+Shift+= of a US keyboard and Ctrl+Shift+; of a Japanese one, which X reports with
    // the plus among their possible keys; naming those as well would make the key ambiguous.
    ActionFontSizeUp->setShortcuts({ActionFontSizeUp->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Plus),
                                    QKeySequence(Qt::CTRL | Qt::Key_Equal),
                                    QKeySequence(Qt::CTRL | Qt::Key_Semicolon)});
    ActionFontSizeDown->setShortcuts({ActionFontSizeDown->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Minus)});
    new WheelZoom(RichEdit->viewport(), ActionFontSizeUp, ActionFontSizeDown);
    auto *reset = new QAction(this);
    reset->setObjectName(QStringLiteral("ActionFontSizeReset"));
    reset->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_0));
    reset->setShortcutContext(Qt::WindowShortcut);
    addAction(reset);
    connect(reset, &QAction::triggered, this, [this] {
        QFont font = RichEdit->font();
        font.setPointSize(Settings.startFontSize());
        RichEdit->setFont(font);
        UpdateFontSizeHints();
    });
}

bool MainWindow::viewHasFocus() const
{
    const QWidget *focus = focusWidget();
    return focus && (focus == RichEdit || RichEdit->isAncestorOf(focus));
}

bool MainWindow::pathBoxHasFocus() const
{
    return PanelPathBar->fieldHasFocus();
}

bool MainWindow::isCommandKey(QKeyEvent *event) const
{
    const QKeySequence pressed(event->keyCombination());
    return pressed == ActionCopy->shortcut() || pressed == ActionSelectAll->shortcut();
}

void MainWindow::ApplyWrapMode(WrapMode mode)
{
    if (mode == WrapMode::RightEdge)
        RichEdit->setWrap(true);
    else if (mode == WrapMode::None)
        RichEdit->setWrap(false);
    syncWrapMarks();
}

void MainWindow::syncWrapMarks()
{
    // The marks follow what the view does; the hidden column mode has no display of its own.
    ActionWrapSide->setChecked(RichEdit->wraps());
    ActionWrapNone->setChecked(!RichEdit->wraps());
}

void MainWindow::setWrapCommand(WrapMode mode)
{
    if (Settings.wrapMode() != mode) {
        Settings.setWrapMode(mode);
        ApplyWrapMode(mode);
    }
    syncWrapMarks();
}

void MainWindow::ActionWrapNoneExecute()
{
    setWrapCommand(WrapMode::None);
}

void MainWindow::ActionWrapNumExecute()
{
    setWrapCommand(WrapMode::Column);
}

void MainWindow::ActionWrapSideExecute()
{
    setWrapCommand(WrapMode::RightEdge);
}

void MainWindow::ActionSetFontExecute()
{
    const QFont kept = RichEdit->font();
    // The dialog lists real faces only, so it starts on the face that stands in for the stored
    // name; confirming that very choice keeps the stored name.
    QFont start = kept;
    start.setFamily(QFontInfo(kept).family());
    const auto unchanged = [&start](const QFont &font) {
        return font.family() == start.family() && font.pointSize() == start.pointSize()
            && font.bold() == start.bold() && font.italic() == start.italic();
    };
    const auto take = [&](const QFont &font) { RichEdit->setFont(unchanged(font) ? kept : font); };
    const std::optional<QFont> chosen = services_.dialogs.chooseFont(this, start, take);
    take(chosen ? *chosen : kept);
    UpdateFontSizeHints();
}

void MainWindow::ActionFontSizeUpExecute()
{
    QFont font = RichEdit->font();
    if (font.pointSize() >= SettingsRecord::kMaxFontSize) {
        services_.dialogs.message(this, MainTexts::fontTooLargeText(font.pointSize()), MainTexts::kFontSizeCaption,
                                  Dialogs::Kind::Warning);
    } else {
        font.setPointSize(font.pointSize() + 1);
        RichEdit->setFont(font);
    }
    UpdateFontSizeHints();
}

void MainWindow::ActionFontSizeDownExecute()
{
    QFont font = RichEdit->font();
    if (font.pointSize() < 2) {
        services_.dialogs.message(this, MainTexts::kFontTooSmallText, MainTexts::kFontSizeCaption,
                                  Dialogs::Kind::Warning);
    } else {
        font.setPointSize(font.pointSize() - 1);
        RichEdit->setFont(font);
    }
    UpdateFontSizeHints();
}

void MainWindow::ActionCopyExecute()
{
    if (viewHasFocus()) {
        RichEdit->copy();
        return;
    }
    if (pathBoxHasFocus())
        EditClipboard->setText(PanelPathBar->selectedText());
    else if (const std::optional<QString> listed = PanelDirBars->copiedText())
        EditClipboard->setText(*listed);
    else
        EditClipboard->setText(Desktop::clipboardText());
    EditClipboard->selectAll();
    Desktop::setClipboardText(EditClipboard->selectedText());
}

void MainWindow::ActionSelectAllExecute()
{
    if (viewHasFocus())
        RichEdit->selectAll();
    else if (pathBoxHasFocus())
        PanelPathBar->selectAll();
    else if (PanelSearch->fieldHasFocus())
        PanelSearch->selectWord();
}

void MainWindow::MenuEditClick()
{
    if (viewHasFocus()) {
        ActionCopy->setEnabled(RichEdit->hasSelection());
        ActionSelectAll->setEnabled(!RichEdit->isEmpty());
    } else if (pathBoxHasFocus()) {
        ActionCopy->setEnabled(PanelPathBar->hasSelectedText());
        ActionSelectAll->setEnabled(!PanelPathBar->path().isEmpty());
    } else {
        ActionCopy->setEnabled(true);
        ActionSelectAll->setEnabled(true);
    }
}

void MainWindow::RichEditSelectionChange()
{
    const qint64 caret = RichEdit->selectionStart();
    const auto [line, lineStart] = RichEdit->displayLineAt(caret);
    setStatus(StatusPanel::Position, StatusTexts::caretText(line + 1, caret - lineStart + 1));
}

void MainWindow::DebugWriteModeClick()
{
    RichEdit->setReadOnly(false);
}
