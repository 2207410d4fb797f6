// Coming up, settings in and out, and closing.
#include "ui/MainWindow.h"

#include "core/ArchiveFolder.h"
#include "core/ColorText.h"
#include "core/WindowGeometry.h"
#include "platform/Desktop.h"
#include "platform/Dialogs.h"
#include "platform/FileSystem.h"
#include "platform/ProgramFolder.h"
#include "platform/Shell.h"
#include "platform/WorkFiles.h"
#include "resources/MainTexts.h"
#include "ui/AddressBar.h"
#include "ui/BookmarkMenu.h"
#include "ui/FileSelectionBox.h"
#include "ui/SearchBar.h"
#include "ui/SystemColors.h"
#include "ui/ViewCommands.h"
#include "ui/widgets/TextView.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QSplitter>

void MainWindow::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!shownOnce_) {
        shownOnce_ = true;
        FormShow();
    }
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (!closed_) {
        closed_ = true;
        FormClose();
    }
    event->accept();
}

bool MainWindow::startedAsNewWindow() const
{
    return arguments_.value(0) == QLatin1String("/n");
}

void MainWindow::FormShow()
{
    Settings = std::move(storedAtStart_);
    applyLoadedSettings();
    BuildFilterList();
    applyStoredFilterEntry();
    // The font and the geometry come before the command line, though nothing of them shows
    // before the window does: the file named there is then laid out once, in the font and at
    // the width it is shown in, instead of again after every step of the window's set-up.
    if (view_->font().pointSize() < 5) {
        QFont font = view_->font();
        font.setPointSize(SettingsRecord::kDefaultFontSize);
        view_->setFont(font);
    }
    applyWindowGeometry();
    // Every start begins with the box at its designed width.
    const int box = FileSelectionBox::kDesignedWidth;
    Splitter1->setSizes({box, std::max(1, width() - box - Splitter1->handleWidth())});
    applyBarFlags();
    applyStoredLayout();
    // The window's parts take their sizes now, so that a large file is measured while it is
    // read at the width it is shown at.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    actOnCommandLine();
    session_->dropReadAhead();
    bookmarks_->ActionViewBookmarkExecute();
    RefreshViewState();
    session_->showFileStatus(MenuDebugAction->isVisible());
    SetHints();
    viewCommands_->UpdateFontSizeHints();
    if (Settings.RunTime >= SettingsRecord::kRunTimeForMessage) {
        services_.dialogs.message(this, MainTexts::kAuthorText, MainTexts::kAuthorCaption, Dialogs::Kind::Notice);
        Settings.RunTime = 0;
    }
    PanelDirBars->focusList();
}

// The view font, the view colours and the window size take effect as soon as they are read.
void MainWindow::applyLoadedSettings()
{
    QFont font = view_->font();
    font.setFamily(Settings.FontName);
    // Sizes below 1 pt cannot be set; the start-up rule lifts anything below 5 pt to 9 pt anyway.
    // A size above the largest is never drawn: it counts as too small, and so becomes 9 pt too.
    font.setPointSize(Settings.FontSize > SettingsRecord::kMaxFontSize ? 1 : std::max(1, Settings.FontSize));
    view_->setFont(font);
    view_->setColors(SystemColors::toQColor(Settings.ColorText, palette()),
                        SystemColors::toQColor(Settings.ColorBack, palette()));
    resize(Settings.WindowWidth, Settings.WindowHeight);
    PanelSearch->setSearchesFolder(Settings.SearchFolder);
}

void MainWindow::actOnCommandLine()
{
    const QString first = arguments_.value(0);
    if (first.isEmpty()) {
        // The last file's archive is listed first, off this thread: until then no file is shown.
        const QString last = std::exchange(Settings.History.FileNameNow, QString());
        if (Settings.flagIs(Flag::ReopenLastFile, '1') && session_->listFirst(last, [this, last] {
                Settings.History.FileNameNow = last;
                actOnCommandLine();
            }))
            return;
        Settings.History.FileNameNow = last;
        if (Settings.flagIs(Flag::ReopenLastFile, '1') && FileSystem::fileOrMemberExists(FileNameNow()))
            reopenLastFile();
        else
            Settings.History.FileNameNow.clear();
    } else if (first == QLatin1String("/n")) {
        Settings.History.FileNameNow.clear();
        PanelDirBars->openFolder(arguments_.value(1));
    } else if (session_->listFirst(FileSystem::absolutePath(first), [this] { actOnCommandLine(); })) {
        // The archive the path leads into is listed first; the rest follows once it is.
    } else if (arguments_.size() == 1 && ArchiveFolder::locate(FileSystem::absolutePath(first))
               && FileSystem::walkableFolderExists(FileSystem::absolutePath(first))) {
        // An archive (or a folder in one) is entered and its first listed file shown.
        Settings.History.FileNameNow.clear();
        PanelDirBars->openFolder(FileSystem::absolutePath(first));
        PanelDirBars->stepToNextFile();
    } else if (FileSystem::target(FileSystem::absolutePath(first)).kind != FileSystem::Target::Kind::Nothing) {
        // A file that cannot be shown is asked for all the same, to be told why.
        session_->LoadDocument(FileSystem::absolutePath(first), LoadMode::New, 0);
        session_->showInListWhenLoaded();
    } else if (arguments_.size() == 1 && FileSystem::folderExists(first)) {
        // A folder alone starts there as "/n" does, yet as the user's own window: it comes up
        // where the last one was left and stores where it is left.
        Settings.History.FileNameNow.clear();
        PanelDirBars->openFolder(first);
    }
}

void MainWindow::applyWindowGeometry()
{
    QRect window = geometry();
    bool place = false;
    if (!startedAsNewWindow() && Settings.WindowX != SettingsRecord::kNoPosition) {
        window.moveTo(Settings.WindowY, Settings.WindowX); // WindowX holds the top, WindowY the left
        place = true;
    }
    // Beyond the size rule: a window left on a monitor that is gone comes back where it is seen.
    const QRect fitted = WindowGeometry::keepTitleBarOnScreen(
        WindowGeometry::clampToScreen(window, Desktop::screenSize()), Desktop::screenGeometries(),
        Desktop::primaryAvailableGeometry());
    place = place || fitted != window;
    // The inside of the window, as it is stored: a window manager's frame, which the window
    // may not know yet, would shift it on every start.
    if (place)
        setGeometry(fitted);
    else
        resize(fitted.size());
}

void MainWindow::applyBarFlags()
{
    if (Settings.flagIs(Flag::ShowToolBars, '0'))
        setBarVisible(PanelToolBars, ViewTool, false);
    if (Settings.flagIs(Flag::ShowPathBar, '0'))
        setBarVisible(PanelPathBar, ViewPath, false);
    if (Settings.flagIs(Flag::ShowFileSelect, '0'))
        ShowFileSelectionBox(false);
    if (Settings.flagIs(Flag::ShowStyleBar, '0'))
        setBarVisible(PanelToolsOnViewArea, ViewStyle, false);
    if (Settings.flagIs(Flag::ShowSearchBar, '0'))
        setBarVisible(PanelSearch, ViewSearch, false);
}

void MainWindow::setBarVisible(QWidget *bar, QAction *mark, bool visible)
{
    bar->setVisible(visible);
    mark->setChecked(visible);
}

void MainWindow::toggleBar(QWidget *bar, QAction *mark)
{
    setBarVisible(bar, mark, bar->isHidden());
}

void MainWindow::captureWindowState()
{
    const auto mark = [](QAction *a) { return QLatin1Char(a->isChecked() ? '1' : '0'); };
    Settings.setFlag(Flag::ShowToolBars, mark(ViewTool));
    Settings.setFlag(Flag::ShowPathBar, mark(ViewPath));
    Settings.setFlag(Flag::ShowFileSelect, mark(ViewSelect));
    Settings.setFlag(Flag::ShowStyleBar, mark(ViewStyle));
    Settings.setFlag(Flag::ShowSearchBar, mark(ViewSearch));
    const int entry = PanelDirBars->filterIndex();
    Settings.setFlag(Flag::FilterEntry, entry >= 1 && entry <= 5 ? QChar(u'0' + entry) : QLatin1Char('0'));
    Settings.setFlag(Flag::Terminator, QChar());
    Settings.SearchFolder = PanelSearch->searchesFolder();

    const QFont font = view_->font();
    Settings.FontName = font.family();
    Settings.FontSize = font.pointSize();
    const bool normal = !isMaximized() && !isFullScreen();
    const QSize size = normal ? this->size() : normalGeometry().size();
    // The inside's corner, as normalGeometry gives it too and as the start restores it.
    const QPoint topLeft = normal ? geometry().topLeft() : normalGeometry().topLeft();
    Settings.WindowWidth = size.width();
    Settings.WindowHeight = size.height();
    Settings.WindowX = topLeft.y();
    Settings.WindowY = topLeft.x();
}

void MainWindow::FormClose()
{
    session_->recordPosition();
    session_->writePositions();
    if (Settings.UninstallRequested) {
        services_.store.deleteKey();
    } else {
        DeleteStoredHistory(Settings, services_.store);
        captureWindowState();
        if (SaveSettings(Settings, services_.store, !startedAsNewWindow(), ProgramFilePath())
            == SaveResult::WriteFailed)
            services_.dialogs.message(this, MainTexts::kRegistryWriteFailed, windowTitle(), Dialogs::Kind::Plain);
    }
    WorkFiles::remove(WorkFolder());
    WorkFiles::removeMemberCopies(WorkFolder());
}

void MainWindow::SetUninstallClick()
{
    if (services_.dialogs.message(this, MainTexts::kUninstallText, MainTexts::kUninstallCaption,
                                  Dialogs::Kind::ConfirmNotice)
        != Dialogs::Answer::Yes)
        return;
    Settings.UninstallRequested = true;
    close();
}
