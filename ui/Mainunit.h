#pragma once

#include "core/BookmarkFile.h"
#include "core/Document.h"
#include "core/DocumentEncoding.h"
#include "core/EffectList.h"
#include "core/EncodingDetect.h"
#include "core/PositionStore.h"
#include "core/RegularFile.h"
#include "core/SettingsRecord.h"
#include "ui/DocumentLoader.h"
#include "ui/StatusBar.h"

#include <QMainWindow>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QAction;
class QActionGroup;
class QDragEnterEvent;
class QDropEvent;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QMenu;
class QSplitter;
class QTimer;
class QToolButton;
class Dialogs;
class Shell;
class FileSelectionBox;
class LayoutDraft;
class TextView;
class SearchBar;
class AddressBar;
class DocumentLoader;
class FolderSearchRunner;
struct CopyMoveRequest;
namespace FolderSearch {
struct Result;
}

// What the main window reaches the outside world through.
struct AppServices {
    Dialogs &dialogs;
    Shell &shell;
    SettingsStore &store;
    // How files are read; tests slow reads down through it.
    DocumentLoader::Options loading = {};
};

// The main window. It owns the settings record, the history and the viewed file for the
// whole run; its implementation is split by concern over the Main*.cpp files.
class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    TForm1(AppServices services, QStringList arguments, QWidget *parent = nullptr);
    ~TForm1() override;

    const QString &FileNameNow() const { return Settings.History.FileNameNow; }
    const SettingsRecord &settings() const { return Settings; }
    // Empties the bookmark menu down to its fixed entries; it is read anew from the file the
    // next time it is needed.
    void ClearBookmarkMenu();

    // Loading and the window state.
    void LoadDocument(QString path, LoadMode mode, int index);
    void RefreshViewState();
    QString FileDateText(const QString &path) const;

    // Small services.
    void DeleteWorkFiles();
    void UpdateFontSizeHints();
    void ApplyWrapMode(WrapMode mode);
    void ClearEffects(EffectClearing mode);
    void ShowAuthorMessage();
    // The text of a status-bar panel.
    QString statusText(StatusPanel panel) const;

public slots:
    void FormShow();
    // Navigation.
    void FileListBox1Change(const QString &path);
    void BtnFileSelBoxCompClick();
    void ShowFileSelectionBox(bool show);
    void Splitter1Moved();
    void BtnCloseFileSelectBoxClick();
    void ViewSelectClick();
    void ActionViewPreExecute();
    void ActionViewNextExecute();
    void PopupMenuPrePopup();
    void PopupMenuNextPopup();
    void PopupPre0Click(int index);
    void PopupNext0Click(int index);
    void DebugHistoriesClick();
    // Address bar.
    void FilePathBoxChange(const QString &typed);
    void ActionReLoadExecute();
    void ActionFileOpenExecute();
    void ActionFolderOpenExecute();
    void EditLRLChange();
    // Bookmarks.
    void ActionBookmarkClickExecute(QAction *item);
    void ActionOpenAddBookmarkDialogExecute();
    // View.
    void ActionWrapNoneExecute();
    void ActionWrapNumExecute();
    void ActionWrapSideExecute();
    void ActionSetFontExecute();
    void ActionFontSizeUpExecute();
    void ActionFontSizeDownExecute();
    void ActionCopyExecute();
    void ActionSelectAllExecute();
    void MenuEditClick();
    void RichEditSelectionChange();
    void DebugWriteModeClick();
    // Display effects.
    bool ApplyEffect(EffectKind kind);
    bool ConfirmLargeEffect();
    void ActionNewWindowExecute();
    void ActionAppQuitExecute();
    void SetUninstallClick();
    void ViewToolClick();
    void ViewPathClick();
    void ViewStyleClick();
    void ViewSearchClick();
    // Full screen, settings dialog, help and version (MainFullScreen.cpp, MainSettingsDialog.cpp, MainHelp.cpp).
    void ActionFullScreenExecute();
    void ActionOpenAppSetDialogExecute();
    void ActionOpenHelpExecute();
    void ActionVerInfoExecute();
    void ActionVerCheckExecute();
    void ActionGoMySiteExecute();
    void ActionSendMailExecute();
    void HelpCannotShowClick();
    // The encoding menu (MainEncoding.cpp).
    void EncodingItemClick(QAction *item);
    // File operations (MainFileOps.cpp).
    void ActionFileDeleteExecute();
    void ActionFileCopyExecute(QObject *sender);
    void ActionFileRenameExecute();
    // External applications (MainExternal.cpp).
    void ActionEditExecute(QObject *sender);
    void ActionPrintExecute();
    void ActionExportExecute();
    void ActionSaveAsExecute();
    void ActionFolderExplorerExecute();
    // The plain-text editor's path, or empty when none is found.
    QString FindNotepad();
    // Starts the plain-text editor on the viewed file; false when there is none.
    bool RunNotepad(const QString &prefix, bool verbose);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    // Dropped files and folders (MainDrop.cpp).
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    // Construction (Mainunit.cpp, MainCommands.cpp).
    void createPanels();
    void createActions();
    void createMenus();
    void createPopupMenus();
    void createToolBars();
    void SetHints();
    QAction *makeAction(const char *name);
    // A command on Esc for the whole window that stays off until something it stops runs.
    QAction *cancelCommand(const char *name);

    // Start and close (MainStartClose.cpp).
    void FormClose();
    void applyLoadedSettings();
    void applyWindowGeometry();
    void applyBarFlags();
    void captureWindowState();
    void setBarVisible(QWidget *bar, QAction *mark, bool visible);
    bool startedAsNewWindow() const;

    // Steps of start-up.
    void BuildFilterList();
    void applyStoredFilterEntry();
    void actOnCommandLine();
    // Reads the stored settings, and the file the window will show first (named on the
    // command line, else the last one reopened), while the window is made.
    void readStartFileAhead();
    void reopenLastFile();
    void ActionViewBookmarkExecute();
    void applyStoredLayout();

    // Navigation (MainNavigation.cpp).
    void connectNavigation();
    void FileListBox1KeyDown(QKeyEvent *event);
    // Space from any pane pages the view; with Shift, back.
    void pageView(bool back);
    int boxWidth() const;
    void stepThroughHistory(const QString &path, LoadMode mode, int index);
    void fillHistoryMenu(QAction *const items[], const std::array<QString, BrowsingHistory::kSize> &entries);

    // Address bar (MainAddress.cpp).
    void connectAddressBar();
    // Where the open, save and folder dialogs start: the viewed file's folder, else the file list's.
    QString dialogFolder() const;
    void FillPathList();

    // Bookmarks (MainBookmarks.cpp).
    void connectBookmarks();
    // Where BOOKMARK.CSV is saved and read; every reader takes readFrom.
    BookmarkPlaces bookmarkPlaces() const;
    void BuildBookmarkMenu();

    // Search bar (MainSearch.cpp).
    void connectSearch();
    // Goes on looking for the word in the files after (or before) the viewed one in the list.
    void searchFolder(const QString &word, bool matchCase, bool forward);
    void cancelFolderSearch();
    void folderSearchEnded(const FolderSearch::Result &result);
    // Says `text` in the first status panel until the next key press (MainNotes.cpp).
    void noteUntilNextKey(const QString &text);

    // View (MainView.cpp).
    void connectView();
    // Ctrl with +, -, 0 and the wheel (MainView.cpp).
    void connectZoom();
    bool isCommandKey(QKeyEvent *event) const;
    bool viewHasFocus() const;
    bool pathBoxHasFocus() const;
    void syncWrapMarks();
    void setWrapCommand(WrapMode mode);

    // Effects (MainEffects.cpp).
    void connectEffects();
    // One listed effect's command, its format-menu entry and its tool button.
    struct EffectCommand {
        const Effect *effect;
        QAction *command;
        QAction *entry;
        QToolButton *button;
    };
    void createEffectCommands();
    void runEffectCommand(const EffectCommand &effect);
    void setEffectsWithinLimit(bool within);
    // The check marks of the effects as the document has them.
    void showEffectMarks();
    // Aozora Bunko texts shown as books (MainAozora.cpp).
    void createAozoraCommands();
    void connectAozora();
    // What a load does to the text it read, on the thread that read it: a text in Aozora Bunko's
    // notation is shown as a book, unless the reader has turned books off for the session.
    std::function<void(Document &)> bookRecognition() const;
    // A loaded document brought in line with the switch, which may have been turned meanwhile.
    void matchBookToSession(Document &document) const;
    void showAozoraMark();

    void connectFullScreen();
    void connectSettingsDialog();
    void connectHelp();
    // File operations (MainFileOps.cpp).
    void connectFileOps();
    void stepPastRemovedFile();
    // A file inside an archive cannot be deleted, moved, renamed or retimed: says so, true then.
    bool refuseInArchive();
    QStringList bookmarkPaths() const;
    void openCopyMoveDialog(const CopyMoveRequest &request);
    // External applications (MainExternal.cpp).
    void connectExternal();
    // Runs `start` with the viewed file as other programs get it: a member of an archive as a
    // copy in the work folder, once it is read; never when its read is cancelled or fails.
    void handOver(const std::function<void(const QString &path)> &start);
    // The encoding menu and its status panel (MainEncoding.cpp).
    void addEncodingMenu(QMenu *parent);
    void showEncoding();

    // Loading (MainLoad.cpp).
    void connectLoading();
    // Shows what a load of `path` gave, or tells why it gave nothing; the shown file stays then.
    void showLoaded(Document::Loaded loaded, const QString &path, LoadMode mode, int index, bool showInList = false);
    // The file just shown, or the one still being read once it is, is selected in the file list
    // (its folder or archive listed) without being chosen a second time.
    void showInListWhenLoaded();
    void showLineCount();
    // Entering an archive whose listing stopped short says why; what was read is listed.
    void reportArchiveListing(const QString &folder);
    // When the path leads into an archive whose listing is not kept yet, reads the listing off
    // the window's thread as a load runs and returns true: `then` runs once it is read (at
    // once when that takes under 0.3 s), never when Esc cancels it. False, with nothing done,
    // for any other path and while such a `then` runs.
    bool listFirst(const QString &path, std::function<void()> then);
    void runAfterListing(const std::function<void()> &then);
    // Reads the member whole off the window's thread as a load runs, and hands it to `then`
    // (at once when that takes under 0.3 s). Esc or a load started meanwhile cancels it, and
    // `then` never runs; a member that cannot be read whole is reported instead.
    void readMember(const QString &path, std::function<void(const Archive::Member &)> then);
    // Reading places (MainPositions.cpp).
    void connectPositions();
    // The store, read at its first use; null while the setting is off.
    PositionStore *positions();
    // Takes the viewed file's place, as it stops being the viewed one.
    void recordPosition();
    // Shows the newly viewed file where it was left, when its place still holds.
    void restorePosition();
    void writePositions();
    void setStatus(StatusPanel panel, const QString &text);

    // State shared by the commands.
    SettingsRecord Settings;
    // The stored settings as the window read them while it was made; they become Settings
    // when it is shown.
    SettingsRecord storedAtStart_;
    // Whether the bookmark menu holds the entries of the file; the path list is filled from it.
    bool BookmarkMenuBuilt = false;
    int BoxWidthBeforeHiding = 0;
    bool PathListBuilt = false;
    // What is shown; the view renders it.
    std::shared_ptr<Document> document_;
    // Reads files off the window's thread; a load taking longer runs on while the window answers.
    DocumentLoader *loader_;
    // The load running on: what it is to do with the history once it ends.
    struct PendingLoad {
        QString path;
        LoadMode mode;
        int index;
        bool member = false; // of an archive: unpacked whole, with no share read to show
        // Selected in the file list once shown, as a file opened from outside the list is.
        bool showInList = false;
    };
    std::optional<PendingLoad> pendingLoad_;
    // The view's layout of the running load's text, measured while it is read.
    std::shared_ptr<LayoutDraft> loadDraft_;
    // What waits for the archive's listing that is read on.
    std::function<void()> afterListing_;
    bool runningAfterListing_ = false;
    // What waits for the member that is read on.
    std::function<void(const Document::Loaded &)> afterMemberRead_;
    // Where the reader left each file; written at most once a second by the timer.
    std::unique_ptr<PositionStore> positions_;
    QTimer *positionsWrite_;
    // Esc while a load runs on.
    QAction *ActionCancelLoad;
    // The search through the folder, Esc while it runs, and where it started from.
    FolderSearchRunner *folderSearch_;
    QAction *ActionCancelSearch;
    struct FolderSearchStart {
        QString path;
        QString word;
        bool forward;
        QString dateText; // the first status panel's text, given back at the end
    };
    std::optional<FolderSearchStart> folderSearchFrom_;
    // The copy/move dialog's remembered choice ('2' bookmarked folder) and bookmark index, for the run.
    QChar CopyMoveChoice;
    int CopyMoveBookmarkIndex = 0;

    // Panels and controls; each carries its name as its object name.
    QWidget *PanelToolBars;
    QWidget *ToolBar1;
    AddressBar *PanelPathBar;
    QLineEdit *EditLRL;
    QLineEdit *EditClipboard;
    QSplitter *Splitter1;
    FileSelectionBox *PanelDirBars;
    QWidget *PanelViewArea;
    QWidget *PanelToolsOnViewArea;
    QWidget *ToolBar2;
    QWidget *PanelFilePropaty;
    SearchBar *PanelSearch;
    TextView *RichEdit;

    // Tool buttons.
    QToolButton *BtnFile, *BtnFolder, *BtnBack, *BtnForward, *BtnReload, *BtnFont, *BtnFullScreen,
        *ToolButton10, *BtnPrint, *BtnSave, *BtnHelp;
    QToolButton *ToolButtonWrap1, *ToolButtonWrap2, *ToolButtonWrap3, *ToolButton23, *ToolButton24;
    QAction *ActionAozora = nullptr;
    QAction *ActionCopyWithReadings = nullptr;
    QToolButton *ToolButtonAozora = nullptr;
    bool aozoraOffForSession_ = false;

    // Commands.
    QAction *ActionNewWindow, *ActionFileOpen, *ActionFolderOpen, *ActionFolderExplorer, *ActionFileCopy,
        *ActionFileMove, *ActionFileRename, *ActionFileDelete, *ActionEdit, *ActionExport, *ActionSaveAs,
        *ActionPrint, *ActionAppQuit, *ActionCopy, *ActionSelectAll, *ActionOpenSearch, *ActionFindNext,
        *ActionGoSearch, *ActionFindPrevious, *ActionViewPre, *ActionViewNext, *ActionReLoad, *ActionSetFont, *ActionFullScreen,
        *ActionWrapNone, *ActionWrapNum, *ActionWrapSide, *ActionFontSizeUp, *ActionFontSizeDown, *ActionViewBookmark,
        *ActionBookmarkClick, *ActionOpenAddBookmarkDialog, *ActionOpenAppSetDialog, *ActionOpenHelp,
        *ActionVerInfo, *ActionVerCheck, *ActionGoMyWebSite, *ActionSendMail;

    // Menus and their entries.
    QMenu *MenuFile, *MenuEdit, *MenuView, *MenuStyle, *MenuBookmark, *MenuSettings, *MenuDebug, *MenuHelp;
    QAction *MenuDebugAction;
    QAction *ViewTool, *ViewPath, *ViewSelect, *ViewStyle, *ViewSearch;
    QAction *SetUninstall, *DebugHistories, *DebugWriteMode, *HelpCannotShow;
    QAction *BookmarkAdd, *BookmarkOrganise;
    QMenu *MenuEncoding;
    QAction *EncodingAuto, *EncodingSjis, *EncodingUtf8, *EncodingEuc, *EncodingJis;
    QMenu *PopupMenuPre, *PopupMenuNext, *PopupMenuView, *PopupMenuHelp, *PopupMenuFile, *PopupMenuFolder,
        *PopupMenuEditor;
    QAction *PopupPre[10], *PopupNext[10];
    QAction *PopupEditor[4];

    AppServices services_;
    QStringList arguments_;
    bool shownOnce_ = false;
    bool closed_ = false;
    StatusBar *statusBar_;
    std::vector<EffectCommand> effects_; // in the list's order
};
