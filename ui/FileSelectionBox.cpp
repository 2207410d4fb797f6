#include "ui/FileSelectionBox.h"

#include "core/PathUtil.h"
#include "platform/FileSystem.h"
#include "resources/FileBoxTexts.h"
#include "ui/PaneKeys.h"
#include "ui/widgets/DirectoryListBox.h"
#include "ui/widgets/DriveComboBox.h"
#include "ui/widgets/FileListBox.h"
#include "ui/widgets/FilterComboBox.h"

#include <QApplication>
#include <QButtonGroup>
#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QScopedValueRollback>
#include <QSplitter>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int kListMargin = 8;

QWidget *panel(const char *name, QWidget *child, int height = -1)
{
    auto *w = new QWidget;
    w->setObjectName(QLatin1String(name));
    auto *layout = new QHBoxLayout(w);
    layout->setContentsMargins(kListMargin, 1, 4, 1);
    layout->addWidget(child);
    if (height > 0)
        w->setFixedHeight(height);
    return w;
}

QToolButton *layoutButton(const QString &caption, const char *name)
{
    auto *button = new QToolButton;
    button->setObjectName(QLatin1String(name));
    button->setText(caption);
    button->setCheckable(true);
    button->setAutoRaise(true);
    button->setFixedSize(40, 17);
    return button;
}

} // namespace

FileSelectionBox::FileSelectionBox(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("PanelDirBars"));
    setMinimumWidth(0);

    PanelTitleOnDirBars = new QWidget;
    PanelTitleOnDirBars->setObjectName(QStringLiteral("PanelTitleOnDirBars"));
    PanelTitleOnDirBars->setFixedHeight(20);
    PanelTitleOnDirBars->setAutoFillBackground(true);
    PanelTitleOnDirBars->installEventFilter(this);
    TitleLabel = new QLabel(FileBoxTexts::kTitle);
    TitleLabel->setAttribute(Qt::WA_TransparentForMouseEvents);
    BtnCloseFileSelectBox = new QToolButton;
    BtnCloseFileSelectBox->setObjectName(QStringLiteral("BtnCloseFileSelectBox"));
    BtnCloseFileSelectBox->setText(FileBoxTexts::kClose);
    BtnCloseFileSelectBox->setAccessibleName(FileBoxTexts::kCloseName);
    BtnCloseFileSelectBox->setAutoRaise(true);
    BtnCloseFileSelectBox->setFixedSize(15, 15);
    BtnCloseFileSelectBox->setFocusPolicy(Qt::NoFocus);
    QFont bold = BtnCloseFileSelectBox->font();
    bold.setBold(true);
    BtnCloseFileSelectBox->setFont(bold);
    auto *titleLayout = new QHBoxLayout(PanelTitleOnDirBars);
    titleLayout->setContentsMargins(2, 0, 2, 0);
    titleLayout->addWidget(TitleLabel, 1);
    titleLayout->addWidget(BtnCloseFileSelectBox);

    PanelDirBarsBtns = new QWidget;
    PanelDirBarsBtns->setObjectName(QStringLiteral("PanelDirBarsBtns"));
    PanelDirBarsBtns->setFixedHeight(23);
    BtnFileSelBoxComp = layoutButton(FileBoxTexts::kComplete, "BtnFileSelBoxComp");
    BtnFileSelBoxBig = layoutButton(FileBoxTexts::kLarge, "BtnFileSelBoxBig");
    BtnFileSelBoxAll = layoutButton(FileBoxTexts::kFull, "BtnFileSelBoxAll");
    auto *group = new QButtonGroup(this);
    group->setExclusive(true);
    for (QToolButton *b : {BtnFileSelBoxComp, BtnFileSelBoxBig, BtnFileSelBoxAll})
        group->addButton(b);
    BtnFileSelBoxComp->setChecked(true);
    auto *btnRow = new QVBoxLayout(PanelDirBarsBtns);
    btnRow->setContentsMargins(kListMargin, 2, 4, 0);
    btnRow->setSpacing(1);
    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(1);
    buttons->addWidget(new QLabel(FileBoxTexts::kShowLabel));
    buttons->addWidget(BtnFileSelBoxComp);
    buttons->addWidget(BtnFileSelBoxBig);
    buttons->addWidget(BtnFileSelBoxAll);
    buttons->addStretch(1);
    btnRow->addLayout(buttons);
    auto *rule = new QFrame;
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    btnRow->addWidget(rule);

    DriveComboBox1 = new DriveComboBox;
    DriveComboBox1->setObjectName(QStringLiteral("DriveComboBox1"));
    PanelDirBarsDrive = panel("PanelDirBarsDrive", DriveComboBox1, 22);

    DirectoryListBox1 = new DirectoryListBox;
    DirectoryListBox1->setObjectName(QStringLiteral("DirectoryListBox1"));
    PanelDirBarsFolder = panel("PanelDirBarsFolder", DirectoryListBox1);

    FilterComboBox1 = new FilterComboBox;
    FilterComboBox1->setObjectName(QStringLiteral("FilterComboBox1"));
    PanelDirBarsFilter = panel("PanelDirBarsFilter", FilterComboBox1, 24);

    FileListBox1 = new FileListBox;
    FileListBox1->setObjectName(QStringLiteral("FileListBox1"));
    PanelDirBarsFile = panel("PanelDirBarsFile", FileListBox1);

    auto *lower = new QWidget;
    auto *lowerLayout = new QVBoxLayout(lower);
    lowerLayout->setContentsMargins(0, 0, 0, 0);
    lowerLayout->setSpacing(0);
    lowerLayout->addWidget(PanelDirBarsFilter);
    lowerLayout->addWidget(PanelDirBarsFile, 1);

    SplitterBox = new QSplitter(Qt::Vertical);
    SplitterBox->setObjectName(QStringLiteral("SplitterBox"));
    SplitterBox->setHandleWidth(3);
    SplitterBox->setChildrenCollapsible(false);
    SplitterBox->addWidget(PanelDirBarsFolder);
    SplitterBox->addWidget(lower);
    SplitterBox->setStretchFactor(1, 1);
    SplitterBox->handle(1)->setToolTip(FileBoxTexts::kHintSplitterBox);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(PanelTitleOnDirBars);
    layout->addWidget(PanelDirBarsBtns);
    layout->addWidget(PanelDirBarsDrive);
    layout->addWidget(SplitterBox, 1);

    connect(BtnCloseFileSelectBox, &QToolButton::clicked, this, &FileSelectionBox::closeClicked);
    connect(group, &QButtonGroup::buttonClicked, this, &FileSelectionBox::layoutButtonClicked);
    setTitleActive(false);

    connect(FileListBox1, &FileListBox::selectionChangedTo, this, [this](const QString &path) {
        if (!syncing_)
            emit fileChosen(path);
    });
    connect(DirectoryListBox1, &DirectoryListBox::folderOpened, this, &FileSelectionBox::openFolder);
    connect(DriveComboBox1, &DriveComboBox::driveChosen, this, &FileSelectionBox::openFolder);
    connect(FilterComboBox1, &QComboBox::activated, this, [this] { FileListBox1->setMask(FilterComboBox1->mask()); });
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) { focusMoved(now); });
    for (QWidget *w : std::initializer_list<QWidget *>{FileListBox1, FilterComboBox1, DirectoryListBox1, DriveComboBox1})
        w->installEventFilter(this);
    PanelTitleOnDirBars->setToolTip(FileBoxTexts::kHintTitle);
    DriveComboBox1->setToolTip(FileBoxTexts::kHintDrive);
    DirectoryListBox1->setToolTip(FileBoxTexts::kHintFolder);
    FilterComboBox1->setToolTip(FileBoxTexts::kHintFilter);
}

void FileSelectionBox::startIn(const QString &folder)
{
    DirectoryListBox1->setDirectory(folder);
    FileListBox1->setDirectory(DirectoryListBox1->directory(), archivesHere());
    DriveComboBox1->followFolder(DirectoryListBox1->directory());
}

QSet<QString> FileSelectionBox::archivesHere() const
{
    const QStringList &archives = DirectoryListBox1->archives();
    return QSet<QString>(archives.cbegin(), archives.cend());
}

void FileSelectionBox::openFolder(const QString &path)
{
    if (path.isEmpty() || (stepFirst_ && stepFirst_(path, [this, path] { openFolder(path); })))
        return;
    // An archive is entered as a folder; any other file opens its own folder.
    const bool file = FileSystem::fileExists(path) && !FileSystem::walkableFolderExists(path);
    QString folder = file ? PathUtil::SplitPath(path, PathUtil::PathPart::Folder) : path;
    folder = PathUtil::withTrailingSlash(FileSystem::absolutePath(folder));
    if (folder == DirectoryListBox1->directory() || !FileSystem::walkableFolderExists(folder))
        return;
    DriveComboBox1->followFolder(folder);
    DirectoryListBox1->setDirectory(folder);
    FileListBox1->setDirectory(folder, archivesHere());
    emit folderOpened(folder);
}

void FileSelectionBox::selectByPath(const QString &path)
{
    FileListBox *list = FileListBox1;
    if (path.isEmpty() || path == list->selectedPath())
        return;
    if (stepFirst_ && stepFirst_(path, [this, path, syncing = syncing_] {
            const QScopedValueRollback keep(syncing_, syncing);
            selectByPath(path);
        }))
        return;
    openFolder(PathUtil::SplitPath(path, PathUtil::PathPart::Folder));
    const QString name = PathUtil::SplitPath(path, PathUtil::PathPart::FileName);
    if (name.contains(QLatin1Char('*')) || name.contains(QLatin1Char('?'))) {
        list->setMask(name);
        return;
    }
    if (list->selectName(name))
        return;
    if (!FileSystem::fileOrMemberExists(path)) {
        emit fileNotFound(path);
        return;
    }
    // The mask leaves the file out: the list then shows that single file.
    list->setMask(name + QLatin1Char(';'));
    list->selectName(name);
}

void FileSelectionBox::showFile(const QString &path)
{
    syncing_ = true;
    selectByPath(path);
    syncing_ = false;
}

QString FileSelectionBox::folder() const
{
    return DirectoryListBox1->directory();
}

QString FileSelectionBox::selectedFile() const
{
    return FileListBox1->selectedPath();
}

QStringList FileSelectionBox::listedFiles() const
{
    return FileListBox1->paths();
}

void FileSelectionBox::reread()
{
    FileListBox1->reread();
}

void FileSelectionBox::setNameOrder(NameOrder order)
{
    DirectoryListBox1->setNameOrder(order);
    FileListBox1->setNameOrder(order);
}

void FileSelectionBox::refresh()
{
    DriveComboBox1->refreshRoots();
    DirectoryListBox1->rebuild();
    FileListBox1->setDirectory(FileListBox1->directory(), archivesHere());
}

void FileSelectionBox::stepToNextFile()
{
    FileListBox *list = FileListBox1;
    QCoreApplication::postEvent(list, new QKeyEvent(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier));
    QCoreApplication::postEvent(list, new QKeyEvent(QEvent::KeyRelease, Qt::Key_Down, Qt::NoModifier));
    QCoreApplication::sendPostedEvents(list);
    QCoreApplication::processEvents();
}

void FileSelectionBox::focusList()
{
    FileListBox1->setFocus();
}

bool FileSelectionBox::setFilterEntries(const std::vector<FilterEntry> &entries)
{
    if (!FilterComboBox1->setEntries(entries))
        return false;
    FileListBox1->setMask(FilterComboBox1->mask());
    return true;
}

const std::vector<FilterEntry> &FileSelectionBox::filterEntries() const
{
    return FilterComboBox1->entries();
}

int FileSelectionBox::filterIndex() const
{
    return FilterComboBox1->currentIndex();
}

void FileSelectionBox::chooseFilter(int index)
{
    if (index >= 0)
        FilterComboBox1->setCurrentIndex(index);
    FileListBox1->setMask(FilterComboBox1->mask());
}

std::optional<QString> FileSelectionBox::copiedText() const
{
    const QWidget *focus = QApplication::focusWidget();
    if (focus == FileListBox1)
        return FileListBox1->selectedPath();
    if (focus == DirectoryListBox1)
        return DirectoryListBox1->directory();
    if (focus == DriveComboBox1)
        return DriveComboBox1->currentRoot();
    return std::nullopt;
}

void FileSelectionBox::setMenus(QMenu *fileMenu, QMenu *folderMenu)
{
    for (const auto &entry : {std::pair<QWidget *, QMenu *>{FileListBox1, fileMenu}, {DirectoryListBox1, folderMenu}}) {
        // Named copies: clang 14 cannot capture a structured binding.
        QWidget *widget = entry.first;
        QMenu *menu = entry.second;
        widget->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(widget, &QWidget::customContextMenuRequested, menu,
                [widget, menu](const QPoint &pos) { menu->popup(widget->mapToGlobal(pos)); });
    }
}

void FileSelectionBox::leaveKeysToWindow(const QList<QKeySequence> &keys)
{
    windowKeys_ = keys;
}

void FileSelectionBox::setHintDuration(int ms)
{
    for (QWidget *w : std::initializer_list<QWidget *>{PanelTitleOnDirBars, DriveComboBox1, DirectoryListBox1,
                                                       FilterComboBox1, SplitterBox->handle(1)})
        w->setToolTipDuration(ms);
}

void FileSelectionBox::focusMoved(QWidget *now)
{
    const bool inside = now && isAncestorOf(now);
    if (inside == titleActive_)
        return;
    setTitleActive(inside);
    if (inside)
        emit entered();
}

FileBoxLayout FileSelectionBox::BtnFileSelBoxCompClick()
{
    PanelDirBarsFilter->hide();
    PanelDirBarsFolder->hide();
    PanelDirBarsDrive->hide();
    SplitterBox->handle(1)->hide();
    FileBoxLayout layout;
    if (BtnFileSelBoxAll->isChecked()) {
        PanelDirBarsFilter->show();
        layout = FileBoxLayout::All;
    } else if (BtnFileSelBoxBig->isChecked()) {
        PanelDirBarsFolder->show();
        PanelDirBarsFilter->show();
        SplitterBox->handle(1)->show();
        SplitterBox->setSizes({60, std::max(1, SplitterBox->height() - 60)});
        layout = FileBoxLayout::Big;
    } else {
        PanelDirBarsDrive->show();
        PanelDirBarsFolder->show();
        PanelDirBarsFilter->show();
        SplitterBox->handle(1)->show();
        SplitterBox->setSizes({102, std::max(1, SplitterBox->height() - 102)});
        layout = FileBoxLayout::Complete;
    }
    return layout;
}

void FileSelectionBox::pressLayout(FileBoxLayout layout)
{
    if (layout == FileBoxLayout::All)
        BtnFileSelBoxAll->setChecked(true);
    else if (layout == FileBoxLayout::Big)
        BtnFileSelBoxBig->setChecked(true);
    else
        BtnFileSelBoxComp->setChecked(true);
}

void FileSelectionBox::setTitleActive(bool active)
{
    titleActive_ = active;
    QPalette p = PanelTitleOnDirBars->palette();
    // The desktop's highlight stands in for the active caption, the mid tone for the inactive one.
    p.setColor(QPalette::Window, active ? palette().color(QPalette::Highlight) : palette().color(QPalette::Mid));
    p.setColor(QPalette::WindowText,
               active ? palette().color(QPalette::HighlightedText) : palette().color(QPalette::Light));
    PanelTitleOnDirBars->setPalette(p);
    TitleLabel->setPalette(p);
}

bool FileSelectionBox::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == PanelTitleOnDirBars) {
        if (event->type() == QEvent::MouseButtonRelease)
            focusList();
        return QWidget::eventFilter(watched, event);
    }
    // In the lists Space only pages the view: no search for a blank, no drop-down, no selection.
    return PaneKeys::take(event, windowKeys_, [this](bool back) { emit pageRequested(back); })
           || QWidget::eventFilter(watched, event);
}
