#include "ui/MainWindow.h"

#include "platform/Dialogs.h"
#include "platform/Shell.h"
#include "resources/MainTexts.h"
#include "ui/AddressBar.h"
#include "ui/BookmarkMenu.h"
#include "ui/EffectCommands.h"
#include "ui/ExternalCommands.h"
#include "ui/FileCommands.h"
#include "ui/FileSelectionBox.h"
#include "ui/HelpCommands.h"
#include "ui/SearchBar.h"
#include "ui/StatusBar.h"
#include "ui/ViewCommands.h"
#include "ui/widgets/NoticeBar.h"
#include "ui/widgets/TextView.h"

#include <QAction>
#include <QApplication>
#include <QHBoxLayout>
#include <QMenu>
#include <QSplitter>
#include <QVBoxLayout>

namespace {

QWidget *namedPanel(const char *name, int height)
{
    auto *w = new QWidget;
    w->setObjectName(QLatin1String(name));
    if (height > 0)
        w->setFixedHeight(height);
    return w;
}

} // namespace

MainWindow::MainWindow(AppServices services, QStringList arguments, QWidget *parent)
    : QMainWindow(parent), services_(services), arguments_(std::move(arguments)),
      session_(new ReadingSession(services_.dialogs, services_.loading)), Settings(session_->settings())
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(session_->title());
    QFont dialogFont(QStringLiteral("ＭＳ Ｐゴシック"), 9);
    setFont(dialogFont);
    resize(SettingsRecord::kDefaultWidth, SettingsRecord::kDefaultHeight);
    setAcceptDrops(true);
    // First of all, so that the file named is read while the rest of the window is made. The
    // settings read here tell which file will be shown first and in which encoding.
    LoadSettings(storedAtStart_, services_.store);
    session_->readAhead(storedAtStart_, arguments_);

    createPanels();
    createActions();
    statusBar_ = new StatusBar(this);
    setStatusBar(statusBar_);
    createPopupMenus();
    createMenus();
    createToolBars();
    createCommandGroups();
    connectNavigation();
    connectAddressBar();
    connectSearch();
    bindSession();
    // Made the window's child last, the session goes after the views that show its document.
    session_->setParent(this);
}

MainWindow::~MainWindow()
{
    // The children go before QObject would drop this connection, and each focus change on the
    // way would reach a half-destroyed file-selection box.
    disconnect(qApp, &QApplication::focusChanged, this, nullptr);
}

void MainWindow::createPanels()
{
    auto *central = new QWidget;
    auto *column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    PanelToolBars = namedPanel("PanelToolBars", 37);
    ToolBar1 = new QWidget(PanelToolBars);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    auto *toolRow = new QHBoxLayout(PanelToolBars);
    toolRow->setContentsMargins(1, 1, 1, 1);
    toolRow->addWidget(ToolBar1);
    toolRow->addStretch(1);

    PanelPathBar = new AddressBar;
    PanelDirBars = new FileSelectionBox;

    PanelViewArea = new QWidget;
    PanelViewArea->setObjectName(QStringLiteral("PanelViewArea"));
    auto *viewColumn = new QVBoxLayout(PanelViewArea);
    viewColumn->setContentsMargins(0, 0, 0, 0);
    viewColumn->setSpacing(0);

    PanelToolsOnViewArea = namedPanel("PanelToolsOnViewArea", 28);
    ToolBar2 = new QWidget;
    ToolBar2->setObjectName(QStringLiteral("ToolBar2"));
    PanelFilePropaty = new QWidget;
    PanelFilePropaty->setObjectName(QStringLiteral("PanelFilePropaty"));
    auto *formatRow = new QHBoxLayout(PanelToolsOnViewArea);
    formatRow->setContentsMargins(1, 1, 1, 1);
    formatRow->addWidget(ToolBar2);
    formatRow->addWidget(PanelFilePropaty, 1);

    view_ = new TextView;
    view_->setObjectName(QStringLiteral("RichEdit"));
    view_->setFont(QFont(SettingsRecord::DefaultFontName(), SettingsRecord::kDefaultFontSize));
    view_->setContextMenuPolicy(Qt::CustomContextMenu);
    view_->setModel(&session_->model());
    PanelSearch = new SearchBar(view_);

    auto *changed = new NoticeBar(MainTexts::kChangedOnDisk, MainTexts::kChangedOnDiskReload);
    changed->setObjectName(QStringLiteral("PanelChangedOnDisk"));
    connect(session_, &ReadingSession::changedOnDisk, changed, &NoticeBar::setShown);
    connect(changed, &NoticeBar::activated, this, [this] { ActionReLoad->trigger(); });

    viewColumn->addWidget(PanelToolsOnViewArea);
    viewColumn->addWidget(PanelSearch);
    viewColumn->addWidget(changed);
    viewColumn->addWidget(view_, 1);

    Splitter1 = new QSplitter(Qt::Horizontal);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    Splitter1->setHandleWidth(3);
    // The box takes its new width when the drag ends, so the show and hide rules have the last word.
    Splitter1->setOpaqueResize(false);
    Splitter1->addWidget(PanelDirBars);
    Splitter1->addWidget(PanelViewArea);
    Splitter1->setCollapsible(0, true);
    Splitter1->setCollapsible(1, false);
    Splitter1->setStretchFactor(1, 1);
    Splitter1->setSizes({FileSelectionBox::kDesignedWidth,
                         SettingsRecord::kDefaultWidth - FileSelectionBox::kDesignedWidth - Splitter1->handleWidth()});

    column->addWidget(PanelToolBars);
    column->addWidget(PanelPathBar);
    column->addWidget(Splitter1, 1);
    setCentralWidget(central);
}

void MainWindow::createCommandGroups()
{
    Dialogs &dialogs = services_.dialogs;
    ReadingSession &session = *session_;
    viewCommands_ = new ViewCommands({this, dialogs, Settings, session.status(), view_, PanelPathBar, PanelDirBars,
                                      PanelSearch, [&session] { return session.mayReadThrough(); }},
                                     {ActionWrapNone, ActionWrapNum, ActionWrapSide, ActionSetFont, ActionFontSizeUp,
                                      ActionFontSizeDown, ActionCopy, ActionSelectAll, DebugWriteMode},
                                     this);
    for (QMenu *menu : {MenuEdit, PopupMenuView}) {
        connect(menu, &QMenu::aboutToShow, viewCommands_, &ViewCommands::MenuEditClick);
        // The menu shows what applies now; once it is closed the keys work wherever the focus goes.
        connect(menu, &QMenu::aboutToHide, this, [this] {
            ActionCopy->setEnabled(true);
            ActionSelectAll->setEnabled(true);
        });
    }
    effects_->connectCommands();
    bookmarks_ = new BookmarkMenu({this, dialogs, session, PanelPathBar, MenuBookmark, BookmarkAdd, BookmarkOrganise,
                                   ActionViewBookmark, ActionOpenAddBookmarkDialog},
                                  this);
    fileCommands_ = new FileCommands({this, dialogs, session, PanelDirBars, PanelPathBar, ActionFileCopy,
                                      ActionFileMove, ActionFileRename, ActionFileDelete,
                                      [this] { return bookmarks_->paths(); }, [this] { ActionReLoadExecute(); }},
                                     this);
    external_ = new ExternalCommands(
        {this, dialogs, services_.shell, session, PanelDirBars, PanelPathBar, [this] { return dialogFolder(); }},
        {ActionEdit, ActionPrint, ActionExport, ActionSaveAs, ActionFolderExplorer,
         {PopupEditor[0], PopupEditor[1], PopupEditor[2], PopupEditor[3]}},
        this);
    help_ = new HelpCommands({this, dialogs, services_.shell},
                             {ActionOpenHelp, ActionVerInfo, ActionVerCheck, ActionGoMyWebSite, ActionSendMail,
                              HelpCannotShow},
                             this);
    connect(ActionFullScreen, &QAction::triggered, this, &MainWindow::ActionFullScreenExecute);
    connect(ActionOpenAppSetDialog, &QAction::triggered, this, &MainWindow::ActionOpenAppSetDialogExecute);
}
