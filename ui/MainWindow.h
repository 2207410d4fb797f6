#pragma once

#include "core/SettingsRecord.h"
#include "ui/DocumentLoader.h"
#include "ui/ReadingSession.h"

#include <QMainWindow>
#include <QStringList>

#include <array>
#include <memory>

class QAction;
class QMenu;
class QSplitter;
class QToolButton;
class Dialogs;
class Shell;
class AddressBar;
class BookmarkMenu;
class EffectCommands;
class ExternalCommands;
class FileCommands;
class FileSelectionBox;
class HelpCommands;
class SearchBar;
class StatusBar;
class TextView;
class ViewCommands;

// What the main window reaches the outside world through.
struct AppServices {
    Dialogs &dialogs;
    Shell &shell;
    SettingsStore &store;
    // How files are read; tests slow reads down through it.
    DocumentLoader::Options loading = {};
};

// The main window. It builds the panels, the commands, the menus and the tool bars and binds
// them to the reading session, which holds what is read; the commands of each concern live in
// objects of their own (ViewCommands, EffectCommands, FileCommands, ExternalCommands,
// BookmarkMenu, HelpCommands) and its own files are split by concern over the Main*.cpp files.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    MainWindow(AppServices services, QStringList arguments, QWidget *parent = nullptr);
    ~MainWindow() override;

    ReadingSession &session() { return *session_; }
    const QString &FileNameNow() const { return session_->FileNameNow(); }
    const SettingsRecord &settings() const { return session_->settings(); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    // Dropped files and folders (MainDrop.cpp).
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    // Construction (MainWindow.cpp, MainCommands.cpp).
    void createPanels();
    void createActions();
    void createMenus();
    void createPopupMenus();
    void createToolBars();
    void createCommandGroups();
    void SetHints();
    QAction *makeAction(const char *name);
    // A command on Esc for the whole window that stays off until something it stops runs.
    QAction *cancelCommand(const char *name);

    // The session's state shown (MainSession.cpp).
    void bindSession();
    void RefreshViewState();
    void addEncodingMenu(QMenu *parent);
    void EncodingItemClick(QAction *item);
    void showEncodingMarks();
    // Says `text` in the first status panel until the next key press.
    void noteUntilNextKey(const QString &text);

    // Start and close (MainStartClose.cpp).
    void FormShow();
    void FormClose();
    void applyLoadedSettings();
    void applyWindowGeometry();
    void applyBarFlags();
    void captureWindowState();
    void setBarVisible(QWidget *bar, QAction *mark, bool visible);
    void toggleBar(QWidget *bar, QAction *mark);
    bool startedAsNewWindow() const;
    void BuildFilterList();
    void applyStoredFilterEntry();
    void actOnCommandLine();
    void reopenLastFile();
    void applyStoredLayout();
    void SetUninstallClick();

    // Navigation (MainNavigation.cpp).
    void connectNavigation();
    void FileListBox1Change(const QString &path);
    // Space from any pane pages the view; with Shift, back.
    void pageView(bool back);
    int boxWidth() const;
    void ShowFileSelectionBox(bool show);
    void Splitter1Moved();
    void ViewSelectClick();
    void BtnFileSelBoxCompClick();
    void fillHistoryMenu(QAction *const items[], const std::array<QString, BrowsingHistory::kSize> &entries);

    // Address bar and reload (MainAddress.cpp).
    void connectAddressBar();
    // Where the open, save and folder dialogs start: the viewed file's folder, else the file list's.
    QString dialogFolder() const;
    void FilePathBoxChange(const QString &typed);
    void ActionReLoadExecute();
    void ActionFileOpenExecute();
    void ActionFolderOpenExecute();

    // Search bar (MainSearch.cpp).
    void connectSearch();
    // The folder search found the word in the list's file `index`: shown, with the hit selected.
    void showFolderHit(qsizetype index, const QString &word, bool forward);

    // The full-screen window and the settings dialog (MainDialogs.cpp).
    void ActionFullScreenExecute();
    void ActionOpenAppSetDialogExecute();

    AppServices services_;
    QStringList arguments_;
    ReadingSession *session_;
    // The settings the session holds, named as every command of the window knows them.
    SettingsRecord &Settings;
    // The stored settings as the window read them while it was made; they become Settings
    // when it is shown.
    SettingsRecord storedAtStart_;
    int BoxWidthBeforeHiding = 0;
    bool shownOnce_ = false;
    bool closed_ = false;

    // The commands of each concern.
    ViewCommands *viewCommands_;
    EffectCommands *effects_;
    FileCommands *fileCommands_;
    ExternalCommands *external_;
    BookmarkMenu *bookmarks_;
    HelpCommands *help_;
    // Binds the session to the view.
    std::unique_ptr<ReadingView> reading_;

    // Panels and controls; each carries its name as its object name.
    QWidget *PanelToolBars;
    QWidget *ToolBar1;
    AddressBar *PanelPathBar;
    QSplitter *Splitter1;
    FileSelectionBox *PanelDirBars;
    QWidget *PanelViewArea;
    QWidget *PanelToolsOnViewArea;
    QWidget *ToolBar2;
    QWidget *PanelFilePropaty;
    SearchBar *PanelSearch;
    // The view of the session's document (object name RichEdit).
    TextView *view_;
    StatusBar *statusBar_;

    // Tool buttons.
    QToolButton *BtnFile, *BtnFolder, *BtnBack, *BtnForward, *BtnReload, *BtnFont, *BtnFullScreen,
        *ToolButton10, *BtnPrint, *BtnSave, *BtnHelp;
    QToolButton *ToolButtonWrap1, *ToolButtonWrap2, *ToolButtonWrap3, *ToolButton23, *ToolButton24;
    QToolButton *ToolButtonAozora = nullptr;

    // Commands.
    QAction *ActionNewWindow, *ActionFileOpen, *ActionFolderOpen, *ActionFolderExplorer, *ActionFileCopy,
        *ActionFileMove, *ActionFileRename, *ActionFileDelete, *ActionEdit, *ActionExport, *ActionSaveAs,
        *ActionPrint, *ActionAppQuit, *ActionCopy, *ActionSelectAll, *ActionOpenSearch, *ActionFindNext,
        *ActionGoSearch, *ActionFindPrevious, *ActionViewPre, *ActionViewNext, *ActionReLoad, *ActionFollowTail, *ActionSetFont,
        *ActionFullScreen, *ActionWrapNone, *ActionWrapNum, *ActionWrapSide, *ActionFontSizeUp,
        *ActionFontSizeDown, *ActionViewBookmark, *ActionBookmarkClick, *ActionOpenAddBookmarkDialog,
        *ActionOpenAppSetDialog, *ActionOpenHelp, *ActionVerInfo, *ActionVerCheck, *ActionGoMyWebSite,
        *ActionSendMail, *ActionAozora, *ActionCopyWithReadings;
    // Esc while a load runs on, and while the folder is searched.
    QAction *ActionCancelLoad, *ActionCancelSearch;

    // Menus and their entries.
    QMenu *MenuFile, *MenuEdit, *MenuView, *MenuStyle, *MenuBookmark, *MenuSettings, *MenuDebug, *MenuHelp;
    QAction *MenuDebugAction;
    QAction *ViewTool, *ViewPath, *ViewSelect, *ViewStyle, *ViewSearch;
    QAction *SetUninstall, *DebugHistories, *DebugWriteMode, *HelpCannotShow;
    QAction *BookmarkAdd, *BookmarkOrganise;
    QMenu *MenuEncoding;
    QMenu *PopupMenuPre, *PopupMenuNext, *PopupMenuView, *PopupMenuHelp, *PopupMenuFile, *PopupMenuFolder,
        *PopupMenuEditor;
    QAction *PopupPre[10], *PopupNext[10];
    QAction *PopupEditor[4];
};
