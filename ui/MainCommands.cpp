// The command table, the menus, the tool bars and their hints.
#include "ui/MainWindow.h"

#include "platform/ProgramFolder.h"
#include "platform/Shell.h"
#include "resources/AozoraTexts.h"
#include "resources/FileBoxTexts.h"
#include "resources/MainTexts.h"
#include "ui/AddressBar.h"
#include "ui/EffectCommands.h"
#include "ui/FileSelectionBox.h"
#include "ui/SearchBar.h"
#include "ui/ViewCommands.h"
#include "ui/WindowCommand.h"
#include "ui/widgets/TextView.h"

#include <QAction>
#include <QActionGroup>
#include <QComboBox>
#include <QHBoxLayout>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>
#include <QPainter>
#include <QRegularExpression>
#include <QStyle>
#include <QToolButton>

namespace {

constexpr int kHintDuration = 25000;

void setHint(QWidget *widget, const QString &text)
{
    widget->setToolTip(text);
    widget->setToolTipDuration(kHintDuration);
}

// A small picture drawn from a few characters, for the format tool bar.
// Drawn again at two and three times the size, so it stays sharp on a high-density screen.
QIcon glyphIcon(const QString &glyph, bool bold = false)
{
    QIcon icon;
    for (int scale : {1, 2, 3}) {
        QPixmap pixmap(20 * scale, 20 * scale);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        QFont font(QStringLiteral("IPAGothic"));
        font.setPixelSize((glyph.size() > 2 ? 9 : 13) * scale);
        font.setBold(bold);
        painter.setFont(font);
        painter.setPen(QColor(0x20, 0x30, 0x60));
        painter.drawText(pixmap.rect(), Qt::AlignCenter, glyph);
        icon.addPixmap(pixmap);
    }
    return icon;
}

// A tool button with a caption of its own that runs an action and follows its enabling.
QToolButton *commandButton(QAction *action, const QString &caption, const QIcon &icon, const char *name)
{
    auto *button = new QToolButton;
    button->setObjectName(QLatin1String(name));
    button->setText(caption);
    button->setIcon(icon);
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setAutoRaise(true);
    button->setFixedSize(50, 35);
    button->setIconSize(QSize(16, 16));
    button->setEnabled(action->isEnabled());
    QObject::connect(button, &QToolButton::clicked, action, &QAction::trigger);
    QObject::connect(action, &QAction::enabledChanged, button, &QToolButton::setEnabled);
    return button;
}

QToolButton *formatButton(QAction *action, const QIcon &icon, const char *name)
{
    action->setIcon(icon);
    auto *button = new QToolButton;
    button->setObjectName(QLatin1String(name));
    button->setDefaultAction(action);
    button->setAutoRaise(true);
    button->setFixedSize(24, 24);
    button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    return button;
}

// A check button of a display effect: it follows the command's mark and enabling, and is
// also switched off on its own when the text is too long for effects.
QToolButton *effectButton(QAction *action, const QIcon &icon, const char *name)
{
    auto *button = new QToolButton;
    button->setObjectName(QLatin1String(name));
    button->setIcon(icon);
    button->setCheckable(true);
    button->setAutoRaise(true);
    button->setFixedSize(24, 24);
    button->setProperty("limitEnabled", true);
    // The picture says nothing to a screen reader; the command's caption does.
    button->setAccessibleName(QString(action->text()).remove(QRegularExpression(QStringLiteral("\\(&.\\)|&"))));
    QObject::connect(button, &QToolButton::clicked, action, [button, action] {
        button->setChecked(action->isChecked());
        action->trigger();
    });
    QObject::connect(action, &QAction::toggled, button, &QToolButton::setChecked);
    QObject::connect(action, &QAction::enabledChanged, button, [button](bool on) {
        button->setEnabled(on && button->property("limitEnabled").toBool());
    });
    return button;
}

// A menu entry with a caption of its own that runs a command and is enabled with it.
void followCommand(QAction *entry, QAction *command)
{
    entry->setEnabled(command->isEnabled());
    QObject::connect(entry, &QAction::triggered, command, &QAction::trigger);
    QObject::connect(command, &QAction::enabledChanged, entry, &QAction::setEnabled);
}


QFrame *separator()
{
    auto *line = new QFrame;
    line->setFrameShape(QFrame::VLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

} // namespace

QAction *MainWindow::makeAction(const char *name)
{
    for (const MainTexts::CommandText &command : MainTexts::kCommands) {
        if (qstrcmp(command.name, name) == 0)
            return windowCommand(this, name, QString::fromUtf16(command.caption), command.key);
    }
    Q_UNREACHABLE();
}

void MainWindow::createActions()
{
    ActionNewWindow = makeAction("ActionNewWindow");
    ActionFileOpen = makeAction("ActionFileOpen");
    ActionFolderOpen = makeAction("ActionFolderOpen");
    ActionFolderExplorer = makeAction("ActionFolderExplorer");
    ActionFileCopy = makeAction("ActionFileCopy");
    ActionFileMove = makeAction("ActionFileMove");
    ActionFileRename = makeAction("ActionFileRename");
    ActionFileDelete = makeAction("ActionFileDelete");
    ActionEdit = makeAction("ActionEdit");
    ActionExport = makeAction("ActionExport");
    ActionSaveAs = makeAction("ActionSaveAs");
    ActionPrint = makeAction("ActionPrint");
    ActionAppQuit = makeAction("ActionAppQuit");
    ActionCopy = makeAction("ActionCopy");
    ActionSelectAll = makeAction("ActionSelectAll");
    ActionOpenSearch = makeAction("ActionOpenSearch");
    ActionFindNext = makeAction("ActionFindNext");
    ActionGoSearch = makeAction("ActionGoSearch");
    ActionFindPrevious = makeAction("ActionFindPrevious");
    ActionViewPre = makeAction("ActionViewPre");
    ActionViewNext = makeAction("ActionViewNext");
    ActionReLoad = makeAction("ActionReLoad");
    ActionFollowTail = makeAction("ActionFollowTail");
    ActionFollowTail->setCheckable(true);
    ActionSetFont = makeAction("ActionSetFont");
    ActionFullScreen = makeAction("ActionFullScreen");
    ActionWrapNone = makeAction("ActionWrapNone");
    ActionWrapNum = makeAction("ActionWrapNum");
    ActionWrapSide = makeAction("ActionWrapSide");
    effects_ = new EffectCommands({this, services_.dialogs, *session_, view_,
                                   [this] { viewCommands_->ActionWrapSideExecute(); }, ActionCopy,
                                   [this] { return viewCommands_->viewHasFocus(); }},
                                  this);
    ActionAozora = effects_->book();
    ActionCopyWithReadings = effects_->copyWithReadings();
    ActionFontSizeUp = makeAction("ActionFontSizeUp");
    ActionFontSizeDown = makeAction("ActionFontSizeDown");
    ActionViewBookmark = makeAction("ActionViewBookmark");
    ActionBookmarkClick = makeAction("ActionBookmarkClick");
    ActionOpenAddBookmarkDialog = makeAction("ActionOpenAddBookmarkDialog");
    ActionOpenAppSetDialog = makeAction("ActionOpenAppSetDialog");
    ActionOpenHelp = makeAction("ActionOpenHelp");
    ActionVerInfo = makeAction("ActionVerInfo");
    ActionVerCheck = makeAction("ActionVerCheck");
    ActionGoMyWebSite = makeAction("ActionGoMyWebSite");
    ActionSendMail = makeAction("ActionSendMail");

    // The settings command shows the copy command's key; a press reaches the copy command.
    ActionOpenAppSetDialog->setText(ActionOpenAppSetDialog->text() + QLatin1Char('\t') + MainTexts::kAppSetShownKey);

    ActionWrapNum->setVisible(false);
    auto *wrapGroup = new QActionGroup(this);
    for (QAction *a : {ActionWrapNone, ActionWrapNum, ActionWrapSide}) {
        a->setCheckable(true);
        wrapGroup->addAction(a);
    }

    connect(ActionNewWindow, &QAction::triggered, this, [this] {
        services_.shell.startProgram(ProgramFilePath(), {QStringLiteral("/n"), PanelDirBars->folder()});
    });
    connect(ActionAppQuit, &QAction::triggered, this, &QWidget::close);
}

void MainWindow::createPopupMenus()
{
    PopupMenuPre = new QMenu(this);
    PopupMenuPre->setObjectName(QStringLiteral("PopupMenuPre"));
    PopupMenuNext = new QMenu(this);
    PopupMenuNext->setObjectName(QStringLiteral("PopupMenuNext"));
    for (int k = 0; k < 10; ++k) {
        PopupPre[k] = PopupMenuPre->addAction(QString());
        PopupPre[k]->setObjectName(QStringLiteral("PopupPre%1").arg(k));
        PopupPre[k]->setData(k);
        PopupNext[k] = PopupMenuNext->addAction(QString());
        PopupNext[k]->setObjectName(QStringLiteral("PopupNext%1").arg(k));
        PopupNext[k]->setData(k);
    }

    PopupMenuView = new QMenu(this);
    PopupMenuView->setObjectName(QStringLiteral("PopupMenuView"));
    PopupMenuView->addAction(ActionCopy);
    PopupMenuView->addAction(ActionSelectAll);
    PopupMenuView->addSeparator();
    PopupMenuView->addAction(ActionReLoad);
    PopupMenuView->addSeparator();
    followCommand(PopupMenuView->addAction(MainTexts::kPopupFontChange), ActionSetFont);

    PopupMenuHelp = new QMenu(this);
    PopupMenuHelp->setObjectName(QStringLiteral("PopupMenuHelp"));

    PopupMenuFile = new QMenu(this);
    PopupMenuFile->setObjectName(QStringLiteral("PopupMenuFile"));
    followCommand(PopupMenuFile->addAction(MainTexts::kPopupReView), ActionReLoad);
    PopupMenuFile->addSeparator();
    PopupMenuFile->addActions({ActionFileCopy, ActionFileMove, ActionFileRename});
    PopupMenuFile->addSeparator();
    PopupMenuFile->addAction(ActionFileDelete);
    PopupMenuFile->addSeparator();
    PopupMenuFile->addAction(ActionFolderExplorer);

    PopupMenuFolder = new QMenu(this);
    PopupMenuFolder->setObjectName(QStringLiteral("PopupMenuFolder"));
    PopupMenuFolder->addAction(ActionFolderExplorer);
    PopupMenuFolder->addSeparator();
    followCommand(PopupMenuFolder->addAction(MainTexts::kPopupReRead), ActionReLoad);

    PopupMenuEditor = new QMenu(this);
    PopupMenuEditor->setObjectName(QStringLiteral("PopupMenuEditor"));
    for (int i = 0; i < 4; ++i) {
        PopupEditor[i] = PopupMenuEditor->addAction(MainTexts::kEditor.arg(i + 1));
        PopupEditor[i]->setObjectName(QStringLiteral("PopupEditor%1").arg(i + 1));
        PopupEditor[i]->setData(i);
    }

    auto attachContextMenu = [](QWidget *widget, QMenu *menu) {
        widget->setContextMenuPolicy(Qt::CustomContextMenu);
        QObject::connect(widget, &QWidget::customContextMenuRequested, menu,
                         [widget, menu](const QPoint &pos) { menu->popup(widget->mapToGlobal(pos)); });
    };
    attachContextMenu(view_, PopupMenuView);
    PanelDirBars->setMenus(PopupMenuFile, PopupMenuFolder);
}

void MainWindow::createMenus()
{
    QMenuBar *bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));

    MenuFile = bar->addMenu(MainTexts::kMenuFile);
    MenuFile->setObjectName(QStringLiteral("MenuFile"));
    MenuFile->addAction(ActionNewWindow);
    MenuFile->addSeparator();
    MenuFile->addActions({ActionFileOpen, ActionFolderOpen});
    MenuFile->addSeparator();
    QMenu *operations = MenuFile->addMenu(MainTexts::kMenuFileOperations);
    operations->setObjectName(QStringLiteral("MenuFileOperations"));
    operations->addAction(ActionFolderExplorer);
    operations->addSeparator();
    operations->addActions({ActionFileCopy, ActionFileMove, ActionFileRename});
    operations->addSeparator();
    operations->addAction(ActionFileDelete);
    MenuFile->addSeparator();
    MenuFile->addActions({ActionEdit, ActionExport, ActionSaveAs, ActionPrint});
    MenuFile->addSeparator();
    MenuFile->addAction(ActionAppQuit);

    MenuEdit = bar->addMenu(MainTexts::kMenuEdit);
    MenuEdit->setObjectName(QStringLiteral("MenuEdit"));
    MenuEdit->addActions({ActionCopy, ActionCopyWithReadings, ActionSelectAll});
    MenuEdit->addSeparator();
    MenuEdit->addActions({ActionOpenSearch, ActionFindNext, ActionFindPrevious});

    MenuView = bar->addMenu(MainTexts::kMenuView);
    MenuView->setObjectName(QStringLiteral("MenuView"));
    auto checkEntry = [this](QMenu *menu, const QString &caption, const char *name) {
        QAction *a = menu->addAction(caption);
        a->setObjectName(QLatin1String(name));
        a->setCheckable(true);
        a->setChecked(true);
        return a;
    };
    ViewTool = checkEntry(MenuView, MainTexts::kViewTool, "ViewTool");
    ViewPath = checkEntry(MenuView, MainTexts::kViewPath, "ViewPath");
    ViewSelect = checkEntry(MenuView, MainTexts::kViewSelect, "ViewSelect");
    ViewStyle = checkEntry(MenuView, MainTexts::kViewStyle, "ViewStyle");
    ViewSearch = checkEntry(MenuView, MainTexts::kViewSearch, "ViewSearch");
    // The entries flip their bars themselves; the mark follows the bar, not the click.
    for (QAction *a : {ViewTool, ViewPath, ViewSelect, ViewStyle, ViewSearch})
        connect(a, &QAction::triggered, a, [a] { a->setChecked(!a->isChecked()); });
    // The address bar sits in its own row under the tool bar, so showing it keeps that order.
    connect(ViewTool, &QAction::triggered, this, [this] { toggleBar(PanelToolBars, ViewTool); });
    connect(ViewPath, &QAction::triggered, this, [this] { toggleBar(PanelPathBar, ViewPath); });
    connect(ViewStyle, &QAction::triggered, this, [this] { toggleBar(PanelToolsOnViewArea, ViewStyle); });
    connect(ViewSearch, &QAction::triggered, this, [this] { toggleBar(PanelSearch, ViewSearch); });
    MenuView->addSeparator();
    MenuView->addActions({ActionViewPre, ActionViewNext, ActionReLoad, ActionFollowTail});
    addEncodingMenu(MenuView);
    MenuView->addAction(ActionAozora);
    MenuView->addSeparator();
    MenuView->addActions({ActionSetFont, ActionFullScreen});

    MenuStyle = bar->addMenu(MainTexts::kMenuStyle);
    MenuStyle->setObjectName(QStringLiteral("MenuStyle"));
    MenuStyle->addActions({ActionWrapNone, ActionWrapNum, ActionWrapSide});
    MenuStyle->addSeparator();
    // The effect entries are separate from the tool buttons so that each can be disabled alone.
    auto styleEntry = [this](QAction *command, const char *name) {
        QAction *entry = MenuStyle->addAction(command->text());
        entry->setObjectName(QLatin1String(name));
        entry->setShortcut(command->shortcut());
        entry->setShortcutContext(Qt::WidgetShortcut); // the key belongs to the command
        entry->setCheckable(true);
        connect(entry, &QAction::triggered, command, [command, entry] {
            entry->setChecked(command->isChecked());
            command->trigger();
        });
        connect(command, &QAction::toggled, entry, &QAction::setChecked);
        connect(command, &QAction::enabledChanged, entry, [entry](bool on) {
            entry->setEnabled(on && entry->property("limitEnabled").toBool());
        });
        entry->setProperty("limitEnabled", true);
        return entry;
    };
    for (EffectCommands::Command &e : effects_->commands()) {
        if (e.effect->startsGroup)
            MenuStyle->addSeparator();
        e.entry = styleEntry(e.command, e.effect->menuEntry);
    }
    MenuStyle->addSeparator();
    MenuStyle->addActions({ActionFontSizeUp, ActionFontSizeDown});

    MenuBookmark = bar->addMenu(MainTexts::kMenuBookmark);
    MenuBookmark->setObjectName(QStringLiteral("MenuBookmark"));
    BookmarkAdd = MenuBookmark->addAction(MainTexts::kBookmarkAdd);
    BookmarkAdd->setObjectName(QStringLiteral("BookmarkAdd"));
    BookmarkAdd->setData(1);
    BookmarkOrganise = MenuBookmark->addAction(MainTexts::kBookmarkOrganise);
    BookmarkOrganise->setObjectName(QStringLiteral("BookmarkOrganise"));
    BookmarkOrganise->setData(2);
    MenuBookmark->addSeparator();

    MenuSettings = bar->addMenu(MainTexts::kMenuSettings);
    MenuSettings->setObjectName(QStringLiteral("MenuSettings"));
    MenuSettings->addAction(ActionOpenAppSetDialog);
    MenuSettings->addSeparator();
    SetUninstall = MenuSettings->addAction(MainTexts::kSetUninstall);
    SetUninstall->setObjectName(QStringLiteral("SetUninstall"));
    connect(SetUninstall, &QAction::triggered, this, &MainWindow::SetUninstallClick);

    MenuDebug = bar->addMenu(MainTexts::kMenuDebug);
    MenuDebug->setObjectName(QStringLiteral("MenuDebug"));
    MenuDebugAction = MenuDebug->menuAction();
    MenuDebugAction->setVisible(false);
    DebugHistories = MenuDebug->addAction(MainTexts::kDebugHistories);
    DebugHistories->setObjectName(QStringLiteral("DebugHistories"));
    DebugWriteMode = MenuDebug->addAction(MainTexts::kDebugWriteMode);
    DebugWriteMode->setObjectName(QStringLiteral("DebugWriteMode"));

    MenuHelp = bar->addMenu(MainTexts::kMenuHelp);
    MenuHelp->setObjectName(QStringLiteral("MenuHelp"));
    for (QMenu *menu : {MenuHelp, PopupMenuHelp}) {
        menu->addActions({ActionOpenHelp, ActionVerInfo});
        menu->addSeparator();
        menu->addActions({ActionVerCheck, ActionGoMyWebSite, ActionSendMail});
        menu->addSeparator();
    }
    HelpCannotShow = MenuHelp->addAction(MainTexts::kHelpCannotShow);
    HelpCannotShow->setObjectName(QStringLiteral("HelpCannotShow"));
    PopupMenuHelp->addAction(HelpCannotShow);
}

void MainWindow::createToolBars()
{
    QStyle *s = style();
    BtnFile = commandButton(ActionFileOpen, MainTexts::kBtnFile, s->standardIcon(QStyle::SP_FileIcon), "BtnFile");
    BtnFolder = commandButton(ActionFolderOpen, MainTexts::kBtnFolder, s->standardIcon(QStyle::SP_DirOpenIcon), "BtnFolder");
    BtnBack = commandButton(ActionViewPre, MainTexts::kBtnBack, s->standardIcon(QStyle::SP_ArrowBack), "BtnBack");
    BtnForward = commandButton(ActionViewNext, MainTexts::kBtnForward, s->standardIcon(QStyle::SP_ArrowForward), "BtnForward");
    BtnReload = commandButton(ActionReLoad, MainTexts::kBtnReload, s->standardIcon(QStyle::SP_BrowserReload), "BtnReload");
    BtnFont = commandButton(ActionSetFont, MainTexts::kBtnFont, glyphIcon(QStringLiteral("Aa")), "BtnFont");
    BtnFullScreen = commandButton(ActionFullScreen, MainTexts::kBtnFullScreen, s->standardIcon(QStyle::SP_TitleBarMaxButton), "BtnFullScreen");
    ToolButton10 = commandButton(ActionEdit, MainTexts::kBtnEdit, s->standardIcon(QStyle::SP_FileDialogDetailedView), "ToolButton10");
    BtnPrint = commandButton(ActionPrint, MainTexts::kBtnPrint, glyphIcon(QStringLiteral("印")), "BtnPrint");
    BtnSave = commandButton(ActionSaveAs, MainTexts::kBtnSave, s->standardIcon(QStyle::SP_DialogSaveButton), "BtnSave");
    BtnHelp = commandButton(ActionOpenHelp, MainTexts::kBtnHelp, s->standardIcon(QStyle::SP_DialogHelpButton), "BtnHelp");
    for (QToolButton *b : {BtnBack, BtnForward, BtnHelp}) {
        b->setPopupMode(QToolButton::MenuButtonPopup);
        b->setFixedWidth(62);
    }
    // The editor menu is also the edit button's right-click menu, drop-down or not.
    ToolButton10->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ToolButton10, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { PopupMenuEditor->popup(ToolButton10->mapToGlobal(pos)); });
    BtnBack->setMenu(PopupMenuPre);
    BtnForward->setMenu(PopupMenuNext);
    BtnHelp->setMenu(PopupMenuHelp);
    // The forward list is also the forward button's right-click menu.
    BtnForward->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(BtnForward, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        if (BtnForward->isEnabled())
            PopupMenuNext->popup(BtnForward->mapToGlobal(pos));
    });

    auto *row = new QHBoxLayout(ToolBar1);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    for (QWidget *w : std::initializer_list<QWidget *>{BtnFile, BtnFolder, separator(), BtnBack, BtnForward, BtnReload, separator(), BtnFont, BtnFullScreen, ToolButton10, BtnPrint, BtnSave, separator(), BtnHelp})
        row->addWidget(w);

    PanelPathBar->setExportCommand(ActionExport);

    ToolButtonWrap1 = formatButton(ActionWrapNone, glyphIcon(QStringLiteral("→")), "ToolButtonWrap1");
    ToolButtonWrap2 = formatButton(ActionWrapNum, glyphIcon(QStringLiteral("桁")), "ToolButtonWrap2");
    ToolButtonWrap3 = formatButton(ActionWrapSide, glyphIcon(QStringLiteral("↵")), "ToolButtonWrap3");
    ToolButton23 = formatButton(ActionFontSizeUp, glyphIcon(QStringLiteral("A+")), "ToolButton23");
    ToolButton24 = formatButton(ActionFontSizeDown, glyphIcon(QStringLiteral("A-")), "ToolButton24");
    ToolButtonWrap2->hide(); // its command has no display of its own
    auto *formatRow = new QHBoxLayout(ToolBar2);
    formatRow->setContentsMargins(0, 0, 0, 0);
    formatRow->setSpacing(0);
    for (QWidget *w : std::initializer_list<QWidget *>{ToolButtonWrap1, ToolButtonWrap2, ToolButtonWrap3, separator()})
        formatRow->addWidget(w);
    for (EffectCommands::Command &e : effects_->commands()) {
        if (e.effect->startsGroup)
            formatRow->addWidget(separator());
        e.button = effectButton(e.command, glyphIcon(QString::fromUtf16(e.effect->glyph), e.effect->boldGlyph),
                                e.effect->button);
        formatRow->addWidget(e.button);
    }
    ToolButtonAozora = effectButton(ActionAozora, glyphIcon(QStringLiteral("ルビ")), "ToolButtonAozora");
    formatRow->addWidget(separator());
    formatRow->addWidget(ToolButtonAozora);
    QToolButton *follow = formatButton(ActionFollowTail, glyphIcon(QStringLiteral("↓")), "ToolButtonFollowTail");
    setHint(follow, MainTexts::kHintFollowTail);
    for (QWidget *w : std::initializer_list<QWidget *>{separator(), follow, separator(), ToolButton23, ToolButton24})
        formatRow->addWidget(w);
}

void MainWindow::SetHints()
{
    setHint(BtnFile, MainTexts::kHintFile);
    setHint(BtnFolder, MainTexts::kHintFolder);
    setHint(BtnBack, MainTexts::kHintBack);
    setHint(BtnForward, MainTexts::kHintForward);
    setHint(BtnReload, MainTexts::kHintReload);
    setHint(BtnFont, MainTexts::kHintFont);
    setHint(BtnFullScreen, MainTexts::kHintFullScreen);
    setHint(ToolButton10, MainTexts::kHintEdit);
    setHint(BtnPrint, MainTexts::kHintPrint);
    setHint(BtnSave, MainTexts::kHintSave);
    setHint(BtnHelp, MainTexts::kHintHelp);
    ActionExport->setToolTip(MainTexts::kHintExport);
    ActionWrapNone->setToolTip(MainTexts::kHintWrap1);
    ActionWrapSide->setToolTip(MainTexts::kHintWrap3);
    for (const EffectCommands::Command &e : effects_->commands())
        setHint(e.button, QString::fromUtf16(e.effect->hint));
    setHint(ToolButtonAozora, AozoraTexts::kHint);
    for (QWidget *w : std::initializer_list<QWidget *>{ToolButtonWrap1, ToolButtonWrap2, ToolButtonWrap3, ToolButton23,
                                                       ToolButton24})
        w->setToolTipDuration(kHintDuration);
    PanelSearch->setHintDuration(kHintDuration);
    PanelPathBar->setHintDuration(kHintDuration);
    PanelDirBars->setHintDuration(kHintDuration);
}


QAction *MainWindow::cancelCommand(const char *name)
{
    auto *command = new QAction(this);
    command->setObjectName(QLatin1String(name));
    command->setShortcut(QKeySequence(Qt::Key_Escape));
    command->setShortcutContext(Qt::WindowShortcut);
    command->setEnabled(false);
    addAction(command);
    return command;
}
