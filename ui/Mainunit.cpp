#include "ui/Mainunit.h"

#include "resources/MainTexts.h"
#include "ui/AddressBar.h"
#include "ui/DocumentLoader.h"
#include "ui/FileSelectionBox.h"
#include "ui/SearchBar.h"
#include "ui/widgets/TextView.h"

#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSplitter>
#include <QToolButton>
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

TForm1::TForm1(AppServices services, QStringList arguments, QWidget *parent)
    : QMainWindow(parent), services_(services), arguments_(std::move(arguments))
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(MainTexts::kAppTitle);
    QFont dialogFont(QStringLiteral("ＭＳ Ｐゴシック"), 9);
    setFont(dialogFont);
    resize(SettingsRecord::kDefaultWidth, SettingsRecord::kDefaultHeight);
    setAcceptDrops(true);
    // First of all, so that the file named is read while the rest of the window is made.
    loader_ = new DocumentLoader(services_.loading, this);
    readStartFileAhead();

    createActions();
    createPanels();
    statusBar_ = new StatusBar(this);
    setStatusBar(statusBar_);
    createPopupMenus();
    createMenus();
    createToolBars();
    connectNavigation();
    connectAddressBar();
    connectBookmarks();
    connectSearch();
    connectView();
    connectEffects();
    connectAozora();
    connectFullScreen();
    connectSettingsDialog();
    connectHelp();
    connectFileOps();
    connectExternal();
    connectLoading();
    connectPositions();
}

TForm1::~TForm1()
{
    // The children go before QObject would drop this connection, and each focus change on the
    // way would reach a half-destroyed file-selection box.
    disconnect(qApp, &QApplication::focusChanged, this, nullptr);
}

void TForm1::createPanels()
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
    EditLRL = new QLineEdit(MainTexts::kEditLRLInitial, this);
    EditLRL->setObjectName(QStringLiteral("EditLRL"));
    EditLRL->hide();
    EditClipboard = new QLineEdit(this);
    EditClipboard->setObjectName(QStringLiteral("EditClipboard"));
    EditClipboard->hide();

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

    RichEdit = new TextView;
    RichEdit->setObjectName(QStringLiteral("RichEdit"));
    RichEdit->setFont(QFont(SettingsRecord::DefaultFontName(), SettingsRecord::kDefaultFontSize));
    RichEdit->setContextMenuPolicy(Qt::CustomContextMenu);
    document_ = std::make_shared<Document>();
    RichEdit->setDocument(document_);
    PanelSearch = new SearchBar(RichEdit);

    viewColumn->addWidget(PanelToolsOnViewArea);
    viewColumn->addWidget(PanelSearch);
    viewColumn->addWidget(RichEdit, 1);

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

QString TForm1::statusText(StatusPanel panel) const
{
    return statusBar_->text(panel);
}

void TForm1::setStatus(StatusPanel panel, const QString &text)
{
    statusBar_->setText(panel, text);
}
