// The file-selection box and the browsing history: how the user walks to a file.
#include "ui/MainWindow.h"

#include "core/FileFilter.h"
#include "core/PathForm.h"
#include "platform/Dialogs.h"
#include "platform/FileSystem.h"
#include "resources/FileBoxTexts.h"
#include "resources/MainTexts.h"
#include "ui/FileSelectionBox.h"
#include "ui/ViewCommands.h"
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
    connect(box, &FileSelectionBox::folderOpened, this, [this](const QString &folder) {
        // A folder the reader opens is a request of its own; one opened to show the file read is not.
        if (!PanelDirBars->followingShownFile())
            session_->supersede();
        session_->reportArchiveListing(folder);
    });
    connect(box, &FileSelectionBox::fileNotFound, this, [this](const QString &path) {
        services_.dialogs.message(this, FileBoxTexts::kInvalidFileName.arg(path), windowTitle(),
                                  Dialogs::Kind::Failure);
    });
    box->setStepFirst([this](const QString &path, std::function<void()> step) {
        return session_->listFirst(path, std::move(step));
    });
    connect(box, &FileSelectionBox::pageRequested, this, &MainWindow::pageView);
    connect(box, &FileSelectionBox::entered, this, [this] { viewCommands_->MenuEditClick(); });
    connect(box, &FileSelectionBox::layoutButtonClicked, this, &MainWindow::BtnFileSelBoxCompClick);
    connect(box, &FileSelectionBox::closeClicked, this, [this] { ShowFileSelectionBox(false); });
    connect(Splitter1, &QSplitter::splitterMoved, this, &MainWindow::Splitter1Moved);
    connect(ViewSelect, &QAction::triggered, this, &MainWindow::ViewSelectClick);
    view_->installEventFilter(this);

    ReadingSession *session = session_;
    connect(ActionViewPre, &QAction::triggered, session, [session] { session->stepBack(0); });
    connect(ActionViewNext, &QAction::triggered, session, [session] { session->stepForward(0); });
    connect(PopupMenuPre, &QMenu::aboutToShow, this, [this] { fillHistoryMenu(PopupPre, Settings.History.PreHistory); });
    connect(PopupMenuNext, &QMenu::aboutToShow, this,
            [this] { fillHistoryMenu(PopupNext, Settings.History.NextHistory); });
    for (int k = 0; k < BrowsingHistory::kSize; ++k) {
        connect(PopupPre[k], &QAction::triggered, session, [session, k] { session->stepBack(k); });
        connect(PopupNext[k], &QAction::triggered, session, [session, k] { session->stepForward(k); });
    }
    connect(DebugHistories, &QAction::triggered, this, [this] {
        services_.dialogs.message(this, Settings.History.DebugListing(), MainTexts::kHistoryListingCaption,
                                  Dialogs::Kind::Plain);
    });
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    // Leaving the shortcut unclaimed lets the window's copy and select-all commands have the key.
    if (event->type() == QEvent::ShortcutOverride && viewCommands_->isCommandKey(static_cast<QKeyEvent *>(event)))
        return true;
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Space)
            pageView(key->modifiers() & Qt::ShiftModifier);
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::pageView(bool back)
{
    if (back)
        view_->pageUp();
    else
        view_->pageDown();
}

void MainWindow::FileListBox1Change(const QString &path)
{
    session_->LoadDocument(path, LoadMode::New, 0);
    view_->scrollToCaret();
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

void MainWindow::ViewSelectClick()
{
    ShowFileSelectionBox(boxWidth() < kHideBelow);
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
