// The file-selection box and the browsing history: how the user walks to a file.
#include "ui/Mainunit.h"

#include "core/FileFilter.h"
#include "core/PathForm.h"
#include "core/PathUtil.h"
#include "platform/Dialogs.h"
#include "platform/FileSystem.h"
#include "resources/FileBoxTexts.h"
#include "resources/MainTexts.h"
#include "ui/FileSelectionBox.h"
#include "ui/widgets/DirectoryListBox.h"
#include "ui/widgets/DriveComboBox.h"
#include "ui/widgets/FileListBox.h"
#include "ui/widgets/FilterComboBox.h"
#include "ui/widgets/TextView.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QSplitter>

namespace {
constexpr int kHideBelow = 30;
constexpr int kRememberAtLeast = 100;
} // namespace

void TForm1::connectNavigation()
{
    FileSelectionBox *box = PanelDirBars;
    box->DirectoryListBox1->setDirectory(FileSystem::currentFolder());
    box->FileListBox1->setDirectory(box->DirectoryListBox1->directory());
    box->DriveComboBox1->followFolder(box->DirectoryListBox1->directory());
    box->setMinimumWidth(1); // so that the splitter can drag it below its controls' own minimum

    connect(box->FileListBox1, &FileListBox::selectionChangedTo, this, &TForm1::FileListBox1Change);
    connect(box->DirectoryListBox1, &DirectoryListBox::folderOpened, this, &TForm1::DirectoryListBox1Click);
    connect(box->DriveComboBox1, &DriveComboBox::driveChosen, this, &TForm1::OpenFolder);
    connect(box->FilterComboBox1, &QComboBox::activated, this,
            [this] { PanelDirBars->FileListBox1->setMask(PanelDirBars->FilterComboBox1->mask()); });
    connect(box, &FileSelectionBox::layoutButtonClicked, this, &TForm1::BtnFileSelBoxCompClick);
    connect(box, &FileSelectionBox::closeClicked, this, &TForm1::BtnCloseFileSelectBoxClick);
    connect(box, &FileSelectionBox::titleClicked, this, &TForm1::PanelTitleOnDirBarsClick);
    connect(Splitter1, &QSplitter::splitterMoved, this, &TForm1::Splitter1Moved);
    connect(ViewSelect, &QAction::triggered, this, &TForm1::ViewSelectClick);
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) {
        const bool inside = now && PanelDirBars->isAncestorOf(now);
        if (inside && !PanelDirBars->titleActive())
            PanelDirBarsEnter();
        else if (!inside && PanelDirBars->titleActive())
            PanelDirBarsExit();
    });
    for (QWidget *w : std::initializer_list<QWidget *>{box->FileListBox1, box->FilterComboBox1, box->DirectoryListBox1,
                                                       box->DriveComboBox1, RichEdit})
        w->installEventFilter(this);

    connect(ActionViewPre, &QAction::triggered, this, &TForm1::ActionViewPreExecute);
    connect(ActionViewNext, &QAction::triggered, this, &TForm1::ActionViewNextExecute);
    connect(PopupMenuPre, &QMenu::aboutToShow, this, &TForm1::PopupMenuPrePopup);
    connect(PopupMenuNext, &QMenu::aboutToShow, this, &TForm1::PopupMenuNextPopup);
    for (int k = 0; k < 10; ++k) {
        connect(PopupPre[k], &QAction::triggered, this, [this, k] { PopupPre0Click(k); });
        connect(PopupNext[k], &QAction::triggered, this, [this, k] { PopupNext0Click(k); });
    }
    connect(DebugHistories, &QAction::triggered, this, &TForm1::DebugHistoriesClick);
}

bool TForm1::eventFilter(QObject *watched, QEvent *event)
{
    // Leaving the shortcut unclaimed lets the window's copy and select-all commands have the key.
    if (event->type() == QEvent::ShortcutOverride && isCommandKey(static_cast<QKeyEvent *>(event)))
        return true;
    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        FileListBox1KeyDown(key);
        // In the box's lists Space only pages the view: no search for a blank, no drop-down,
        // no selection.
        if (key->key() == Qt::Key_Space && watched != RichEdit)
            return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::FileListBox1KeyDown(QKeyEvent *event)
{
    if (event->key() != Qt::Key_Space)
        return;
    if (event->modifiers() & Qt::ShiftModifier)
        RichEdit->pageUp();
    else
        RichEdit->pageDown();
}

void TForm1::FileListBox1Change(const QString &path)
{
    if (SyncingFileList)
        return;
    LoadDocument(path, QLatin1Char('N'), 0);
    RichEdit->scrollToCaret();
}

void TForm1::BuildFilterList()
{
    FilterComboBox *filter = PanelDirBars->FilterComboBox1;
    if (filter->setEntries(filterEntries(Settings)))
        PanelDirBars->FileListBox1->setMask(filter->mask());
}

void TForm1::applyStoredFilterEntry()
{
    const QChar entry = Settings.flag(Flag::FilterEntry);
    if (entry >= QLatin1Char('0') && entry <= QLatin1Char('5'))
        PanelDirBars->FilterComboBox1->setCurrentIndex(entry.unicode() - u'0');
    PanelDirBars->FileListBox1->setMask(PanelDirBars->FilterComboBox1->mask());
}

void TForm1::OpenFolder(const QString &path)
{
    if (path.isEmpty())
        return;
    QString folder = FileSystem::fileExists(path) ? PathUtil::SplitPath(path, QLatin1Char('D')) : path;
    folder = PathUtil::withTrailingSlash(FileSystem::absolutePath(folder));
    if (folder == PanelDirBars->DirectoryListBox1->directory() || !FileSystem::folderExists(folder))
        return;
    PanelDirBars->DriveComboBox1->followFolder(folder);
    PanelDirBars->DirectoryListBox1->setDirectory(folder);
    PanelDirBars->FileListBox1->setDirectory(folder);
}

void TForm1::DirectoryListBox1Click(const QString &folder)
{
    OpenFolder(folder);
}

void TForm1::SelectByPath(const QString &path)
{
    FileListBox *list = PanelDirBars->FileListBox1;
    if (path.isEmpty() || path == list->selectedPath())
        return;
    OpenFolder(PathUtil::SplitPath(path, QLatin1Char('D')));
    const QString name = PathUtil::SplitPath(path, QLatin1Char('F'));
    if (name.contains(QLatin1Char('*')) || name.contains(QLatin1Char('?'))) {
        list->setMask(name);
        return;
    }
    if (list->selectName(name))
        return;
    if (!FileSystem::fileExists(path)) {
        services_.dialogs.message(this, FileBoxTexts::kInvalidFileName.arg(path), windowTitle(),
                                  Dialogs::Kind::Failure);
        return;
    }
    // The mask leaves the file out: the list then shows that single file.
    list->setMask(name + QLatin1Char(';'));
    list->selectName(name);
}

void TForm1::BtnFileSelBoxCompClick()
{
    Settings.setFlag(Flag::FileBoxLayout, PanelDirBars->BtnFileSelBoxCompClick());
}

void TForm1::applyStoredLayout()
{
    PanelDirBars->pressLayout(Settings.flag(Flag::FileBoxLayout));
    BtnFileSelBoxCompClick();
}

int TForm1::boxWidth() const
{
    return Splitter1->sizes().value(0);
}

void TForm1::ShowFileSelectionBox(bool show)
{
    const int total = Splitter1->sizes().value(0) + Splitter1->sizes().value(1);
    if (show) {
        if (BoxWidthBeforeHiding < kRememberAtLeast)
            BoxWidthBeforeHiding = FileSelectionBox::kDesignedWidth;
        Splitter1->setSizes({BoxWidthBeforeHiding, std::max(1, total - BoxWidthBeforeHiding)});
        ViewSelect->setChecked(true);
    } else {
        BoxWidthBeforeHiding = boxWidth();
        Splitter1->setSizes({0, total});
        ViewSelect->setChecked(false);
    }
}

void TForm1::Splitter1Moved()
{
    const int width = boxWidth();
    if (ViewSelect->isChecked() && width < kHideBelow)
        ShowFileSelectionBox(false);
    else if (!ViewSelect->isChecked() && width >= kHideBelow)
        ShowFileSelectionBox(true);
}

void TForm1::BtnCloseFileSelectBoxClick()
{
    ShowFileSelectionBox(false);
}

void TForm1::ViewSelectClick()
{
    ShowFileSelectionBox(boxWidth() < kHideBelow);
}

void TForm1::PanelTitleOnDirBarsClick()
{
    PanelDirBars->FileListBox1->setFocus();
}

void TForm1::PanelDirBarsEnter()
{
    PanelDirBars->setTitleActive(true);
    MenuEditClick();
}

void TForm1::PanelDirBarsExit()
{
    PanelDirBars->setTitleActive(false);
}

void TForm1::ActionViewPreExecute()
{
    PopupPre0Click(0);
}

void TForm1::ActionViewNextExecute()
{
    PopupNext0Click(0);
}

void TForm1::stepThroughHistory(const QString &path, QChar mode, int index)
{
    if (!FileSystem::fileExists(path)) {
        services_.dialogs.message(this, MainTexts::kHistoryMissingText, MainTexts::kHistoryMissingCaption,
                                  Dialogs::Kind::Failure);
        return;
    }
    LoadDocument(path, mode, index);
}

void TForm1::PopupPre0Click(int index)
{
    stepThroughHistory(Settings.History.PreHistory[index], QLatin1Char('H'), index);
}

void TForm1::PopupNext0Click(int index)
{
    stepThroughHistory(Settings.History.NextHistory[index], QLatin1Char('M'), index);
}

void TForm1::fillHistoryMenu(QAction *const items[], const std::array<QString, BrowsingHistory::kSize> &entries)
{
    for (int k = 0; k < BrowsingHistory::kSize; ++k) {
        // A "&" in a path is a literal character, not an access key.
        items[k]->setText(QStringLiteral("&%1 ").arg(k)
                          + PathForm::displayName(entries[k]).replace(QLatin1Char('&'), QStringLiteral("&&")));
        items[k]->setVisible(!entries[k].isEmpty());
    }
}

void TForm1::PopupMenuPrePopup()
{
    fillHistoryMenu(PopupPre, Settings.History.PreHistory);
}

void TForm1::PopupMenuNextPopup()
{
    fillHistoryMenu(PopupNext, Settings.History.NextHistory);
}

void TForm1::DebugHistoriesClick()
{
    services_.dialogs.message(this, Settings.History.DebugListing(), MainTexts::kHistoryListingCaption,
                              Dialogs::Kind::Plain);
}
