// The reading session bound to the window: what is shown, the status bar, the encoding menu
// and the commands that follow the shown file.
#include "ui/MainWindow.h"

#include "core/DocumentEncoding.h"
#include "platform/FileSystem.h"
#include "resources/MainTexts.h"
#include "ui/AddressBar.h"
#include "ui/EffectCommands.h"
#include "ui/ExternalCommands.h"
#include "ui/FileSelectionBox.h"
#include "ui/FirstLinesGate.h"
#include "ui/SearchBar.h"
#include "ui/StatusBar.h"
#include "ui/ViewCommands.h"
#include "ui/widgets/TextView.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QMenu>
#include <QScrollBar>
#include <QToolButton>

namespace {

// The session's view: the main window's text view.
class ViewReading : public ReadingView {
public:
    explicit ViewReading(TextView *view) : view_(view) {}
    ReadingPlace place() const override
    {
        return {view_->topPosition(), view_->caretPosition(), view_->caretMovedByUser()};
    }
    void showPlace(const ReadingPlace &place) override { view_->showPlace(place.top, place.caret, place.caretMoved); }
    qint64 displayedLineCount() const override { return view_->displayedLineCount(); }
    void setLinesToCome(qint64 lines) override { view_->setLinesToCome(lines); }
    bool atEnd() const override
    {
        const QScrollBar *bar = view_->verticalScrollBar();
        return bar->value() >= bar->maximum() || view_->caretPosition() >= view_->store().size();
    }
    void showEnd() override
    {
        view_->selectRange(view_->store().size(), 0);
        view_->scrollToCaret();
        view_->verticalScrollBar()->setValue(view_->verticalScrollBar()->maximum());
    }
    Measure measureWhileRead() override
    {
        std::shared_ptr<LayoutDraft> draft = view_->layoutDraft();
        TextStore::IndexWatch watch = draft->watch();
        return {std::move(draft), std::move(watch)};
    }

private:
    TextView *view_;
};

// Runs its callback at the next key pressed anywhere in the program, once, and then goes.
// A key bound to a command arrives as a shortcut override and never as a key press.
class NextKeyWatch : public QObject {
public:
    NextKeyWatch(QObject *owner, std::function<void()> callback) : QObject(owner), callback_(std::move(callback))
    {
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if ((event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) && callback_) {
            qApp->removeEventFilter(this);
            const std::function<void()> callback = std::exchange(callback_, nullptr);
            deleteLater();
            callback();
        }
        return false;
    }

private:
    std::function<void()> callback_;
};

} // namespace

void MainWindow::bindSession()
{
    ReadingSession &session = *session_;
    reading_ = std::make_unique<ViewReading>(view_);
    session.bind(this, reading_.get());
    connect(&session.status(), &StatusReport::changed, statusBar_, &StatusBar::setText);
    ActionCancelLoad = cancelCommand("ActionCancelLoad");
    connect(ActionCancelLoad, &QAction::triggered, &session, &ReadingSession::cancelLoad);
    connect(&session, &ReadingSession::busyChanged, ActionCancelLoad, &QAction::setEnabled);
    connect(&session, &ReadingSession::titleChanged, this, &QWidget::setWindowTitle);
    connect(&session, &ReadingSession::shown, PanelPathBar, &AddressBar::showPath);
    connect(&session, &ReadingSession::addressChanged, PanelPathBar, &AddressBar::showPath);
    connect(&session, &ReadingSession::reloadAsked, ActionReLoad, &QAction::trigger);
    ActionFollowTail->setChecked(Settings.FollowTail);
    session.setFollowTail(Settings.FollowTail);
    connect(ActionFollowTail, &QAction::toggled, &session, &ReadingSession::setFollowTail);
    PanelSearch->setReadGuard([&session] { return session.mayReadThrough(); });
    connect(&session, &ReadingSession::selectInList, PanelDirBars, &FileSelectionBox::showFile);
    connect(&session, &ReadingSession::viewStateChanged, this, &MainWindow::RefreshViewState);
    connect(&session, &ReadingSession::note, this, &MainWindow::noteUntilNextKey);
    // A re-wrap changes the line count, not the text.
    connect(view_, &TextView::displayLinesChanged, &session, &ReadingSession::showLineCount);
    auto *gate = new FirstLinesGate({view_, PanelDirBars}, [&session] { session.finishReading(); }, this);
    connect(&session, &ReadingSession::firstLinesShownChanged, gate, &FirstLinesGate::setOn);
}

void MainWindow::RefreshViewState()
{
    const BrowsingHistory &history = Settings.History;
    ActionViewPre->setEnabled(!history.PreHistory[0].isEmpty());
    ActionViewNext->setEnabled(!history.NextHistory[0].isEmpty());
    ActionReLoad->setEnabled(!history.FileNameNow.isEmpty());
    ActionFullScreen->setEnabled(!history.FileNameNow.isEmpty());
    ActionExport->setEnabled(FileSystem::fileExists(PanelPathBar->path()));

    viewCommands_->ApplyWrapMode(Settings.wrapMode() == WrapMode::None ? WrapMode::None : WrapMode::RightEdge);

    if (Settings.flagIs(Flag::UseEditors, '1')) {
        ToolButton10->setMenu(PopupMenuEditor);
        ToolButton10->setPopupMode(QToolButton::MenuButtonPopup);
        ToolButton10->setFixedWidth(62);
    } else {
        ToolButton10->setMenu(nullptr);
        ToolButton10->setPopupMode(QToolButton::DelayedPopup);
        ToolButton10->setFixedWidth(50);
    }
    external_->showEditors();

    session_->clearEffects(EffectClearing::Discard);
    effects_->showState(session_->document().byteLength() <= Settings.LimitSizeForEffect);
    const bool debug = MenuDebugAction->isVisible();
    statusBar_->setPanelShown(StatusPanel::FileKind, debug);
    // The debug menu, once shown, shows the file's kind too.
    if (debug != session_->fileKindShown())
        session_->showFileStatus(debug);
    showEncodingMarks();
}

void MainWindow::addEncodingMenu(QMenu *parent)
{
    MenuEncoding = parent->addMenu(MainTexts::kMenuEncoding);
    MenuEncoding->setObjectName(QStringLiteral("MenuEncoding"));
    auto *group = new QActionGroup(this);
    auto entry = [this, group](const QString &caption, const char *name, DocumentEncoding::Choice choice) {
        QAction *item = MenuEncoding->addAction(caption);
        item->setObjectName(QLatin1String(name));
        item->setCheckable(true);
        item->setData(QChar(QLatin1Char(char(choice))));
        group->addAction(item);
        return item;
    };
    using DocumentEncoding::Choice;
    entry(MainTexts::kEncodingAuto, "EncodingAuto", Choice::Auto)->setChecked(true);
    entry(MainTexts::kEncodingSjis, "EncodingSjis", Choice::Sjis);
    entry(MainTexts::kEncodingUtf8, "EncodingUtf8", Choice::Utf8);
    entry(MainTexts::kEncodingEuc, "EncodingEuc", Choice::Euc);
    entry(MainTexts::kEncodingJis, "EncodingJis", Choice::Jis);
    connect(group, &QActionGroup::triggered, this, &MainWindow::EncodingItemClick);
}

void MainWindow::EncodingItemClick(QAction *item)
{
    Settings.setEncodingChoice(DocumentEncoding::choiceFromStored(QString(item->data().toChar())));
    // The choice holds for every file shown from now on, the shown one first.
    if (FileNameNow().isEmpty()) {
        session_->status().showEncoding(FileNameNow(), session_->document());
        showEncodingMarks();
    } else {
        ActionReLoadExecute();
    }
}

void MainWindow::showEncodingMarks()
{
    for (QAction *item : MenuEncoding->actions())
        item->setChecked(item->data().toChar() == QLatin1Char(char(Settings.encodingChoice())));
}

void MainWindow::noteUntilNextKey(const QString &text)
{
    // What the panel said before comes back, unless something else has written it meanwhile.
    StatusReport &status = session_->status();
    const QString before = status.text(StatusPanel::Date);
    status.setText(StatusPanel::Date, text);
    new NextKeyWatch(this, [&status, before, text] {
        if (status.text(StatusPanel::Date) == text)
            status.setText(StatusPanel::Date, before);
    });
}
