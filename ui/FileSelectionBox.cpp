#include "ui/FileSelectionBox.h"

#include "resources/FileBoxTexts.h"
#include "ui/widgets/DirectoryListBox.h"
#include "ui/widgets/DriveComboBox.h"
#include "ui/widgets/FileListBox.h"
#include "ui/widgets/FilterComboBox.h"

#include <QButtonGroup>
#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
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
    if (watched == PanelTitleOnDirBars && event->type() == QEvent::MouseButtonRelease)
        emit titleClicked();
    return QWidget::eventFilter(watched, event);
}
