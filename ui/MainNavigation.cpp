// The file-selection box and the browsing history: how the user walks to a file.
#include "ui/MainWindow.h"

#include "core/FileFilter.h"
#include "core/PathForm.h"
#include "platform/Dialogs.h"
#include "platform/FileSystem.h"
#include "resources/FileBoxTexts.h"
#include "resources/MainTexts.h"
#include "ui/FileSelectionBox.h"
#include "ui/widgets/TextView.h"

#include <QAction>
#include <QKeyEvent>
#include <QMenu>
#include <QSplitter>

namespace {
constexpr int kHideBelow = 30;
constexpr int kRememberAtLeast = 100;
} // namespace

void MainWindow::connectNavigation()
{
    FileSelectionBox *box = PanelDirBars;
    box->startIn(FileSystem::currentFolder());
    box->setMinimumWidth(1); // so that the splitter can drag it below its controls' own minimum
    box->leaveKeysToWindow({ActionCopy->shortcut(), ActionSelectAll->shortcut()});

    connect(box, &FileSelectionBox::fileChosen, this, &MainWindow::FileListBox1Change);
    connect(box, &FileSelectionBox::fileNotFound, this, [this](const QString &path) {
        services_.dialogs.message(this, FileBoxTexts::kInvalidFileName.arg(path), windowTitle(),
                                  Dialogs::Kind::Failure);
    });
    connect(box, &FileSelectionBox::folderOpened, this, &MainWindow::reportArchiveListing);
    box->setStepFirst(
        [this](const QString &path, std::function<void()> step) { return listFirst(path, std::move(step)); });
    connect(box, &FileSelectionBox::pageRequested, this, &MainWindow::pageView);
    connect(box, &FileSelectionBox::entered, this, &MainWindow::MenuEditClick);
    connect(box, &FileSelectionBox::layoutButtonClicked, this, &MainWindow::BtnFileSelBoxCompClick);
    connect(box, &FileSelectionBox::closeClicked, this, &MainWindow::BtnCloseFileSelectBoxClick);
    connect(Splitter1, &QSplitter::splitterMoved, this, &MainWindow::Splitter1Moved);
    connect(ViewSelect, &QAction::triggered, this, &MainWindow::ViewSelectClick);
    RichEdit->installEventFilter(this);

    connect(ActionViewPre, &QAction::triggered, this, &MainWindow::ActionViewPreExecute);
    connect(ActionViewNext, &QAction::triggered, this, &MainWindow::ActionViewNextExecute);
    connect(PopupMenuPre, &QMenu::aboutToShow, this, &MainWindow::PopupMenuPrePopup);
    connect(PopupMenuNext, &QMenu::aboutToShow, this, &MainWindow::PopupMenuNextPopup);
    for (int k = 0; k < 10; ++k) {
        connect(PopupPre[k], &QAction::triggered, this, [this, k] { PopupPre0Click(k); });
        connect(PopupNext[k], &QAction::triggered, this, [this, k] { PopupNext0Click(k); });
    }
    connect(DebugHistories, &QAction::triggered, this, &MainWindow::DebugHistoriesClick);
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    // Leaving the shortcut unclaimed lets the window's copy and select-all commands have the key.
    if (event->type() == QEvent::ShortcutOverride && isCommandKey(static_cast<QKeyEvent *>(event)))
        return true;
    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        FileListBox1KeyDown(key);
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::FileListBox1KeyDown(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Space)
        pageView(event->modifiers() & Qt::ShiftModifier);
}

void MainWindow::pageView(bool back)
{
    if (back)
        RichEdit->pageUp();
    else
        RichEdit->pageDown();
}

void MainWindow::FileListBox1Change(const QString &path)
{
    LoadDocument(path, LoadMode::New, 0);
    RichEdit->scrollToCaret();
}

void MainWindow::BuildFilterList()
{
    // The order goes first, so that the list the new entries read comes in it.
    PanelDirBars->setNameOrder(Settings.NaturalSort ? NameOrder::Natural : NameOrder::Plain);
    PanelDirBars->setFilterEntries(filterEntries(Settings));
}

void MainWindow::applyStoredFilterEntry()
{
    const QChar entry = Settings.flag(Flag::FilterEntry);
    const bool stored = entry >= QLatin1Char('0') && entry <= QLatin1Char('5');
    PanelDirBars->chooseFilter(stored ? entry.unicode() - u'0' : -1);
}

void MainWindow::BtnFileSelBoxCompClick()
{
    Settings.setFlag(Flag::FileBoxLayout, QLatin1Char(char(PanelDirBars->BtnFileSelBoxCompClick())));
}

void MainWindow::applyStoredLayout()
{
    PanelDirBars->pressLayout(FileBoxLayout(Settings.flag(Flag::FileBoxLayout).toLatin1()));
    BtnFileSelBoxCompClick();
}

int MainWindow::boxWidth() const
{
    return Splitter1->sizes().value(0);
}

void MainWindow::ShowFileSelectionBox(bool show)
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

void MainWindow::Splitter1Moved()
{
    const int width = boxWidth();
    if (ViewSelect->isChecked() && width < kHideBelow)
        ShowFileSelectionBox(false);
    else if (!ViewSelect->isChecked() && width >= kHideBelow)
        ShowFileSelectionBox(true);
}

void MainWindow::BtnCloseFileSelectBoxClick()
{
    ShowFileSelectionBox(false);
}

void MainWindow::ViewSelectClick()
{
    ShowFileSelectionBox(boxWidth() < kHideBelow);
}

void MainWindow::ActionViewPreExecute()
{
    PopupPre0Click(0);
}

void MainWindow::ActionViewNextExecute()
{
    PopupNext0Click(0);
}

void MainWindow::stepThroughHistory(const QString &path, LoadMode mode, int index)
{
    // Whether a member is still there is answered by its archive's listing, read first.
    if (listFirst(path, [this, path, mode, index] { stepThroughHistory(path, mode, index); }))
        return;
    if (!FileSystem::fileOrMemberExists(path)) {
        services_.dialogs.message(this, MainTexts::kHistoryMissingText, MainTexts::kHistoryMissingCaption,
                                  Dialogs::Kind::Failure);
        return;
    }
    LoadDocument(path, mode, index);
}

void MainWindow::PopupPre0Click(int index)
{
    stepThroughHistory(Settings.History.PreHistory[index], LoadMode::Back, index);
}

void MainWindow::PopupNext0Click(int index)
{
    stepThroughHistory(Settings.History.NextHistory[index], LoadMode::Forward, index);
}

void MainWindow::fillHistoryMenu(QAction *const items[], const std::array<QString, BrowsingHistory::kSize> &entries)
{
    for (int k = 0; k < BrowsingHistory::kSize; ++k) {
        // A "&" in a path is a literal character, not an access key.
        items[k]->setText(QStringLiteral("&%1 ").arg(k)
                          + PathForm::displayName(entries[k]).replace(QLatin1Char('&'), QStringLiteral("&&")));
        items[k]->setVisible(!entries[k].isEmpty());
    }
}

void MainWindow::PopupMenuPrePopup()
{
    fillHistoryMenu(PopupPre, Settings.History.PreHistory);
}

void MainWindow::PopupMenuNextPopup()
{
    fillHistoryMenu(PopupNext, Settings.History.NextHistory);
}

void MainWindow::DebugHistoriesClick()
{
    services_.dialogs.message(this, Settings.History.DebugListing(), MainTexts::kHistoryListingCaption,
                              Dialogs::Kind::Plain);
}
