// The file-selection box and the browsing history: how the user walks to a file.
#include "ui/Mainunit.h"

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

void TForm1::connectNavigation()
{
    FileSelectionBox *box = PanelDirBars;
    box->startIn(FileSystem::currentFolder());
    box->setMinimumWidth(1); // so that the splitter can drag it below its controls' own minimum
    box->leaveKeysToWindow({ActionCopy->shortcut(), ActionSelectAll->shortcut()});

    connect(box, &FileSelectionBox::fileChosen, this, &TForm1::FileListBox1Change);
    connect(box, &FileSelectionBox::fileNotFound, this, [this](const QString &path) {
        services_.dialogs.message(this, FileBoxTexts::kInvalidFileName.arg(path), windowTitle(),
                                  Dialogs::Kind::Failure);
    });
    connect(box, &FileSelectionBox::folderOpened, this, &TForm1::reportArchiveListing);
    box->setStepFirst(
        [this](const QString &path, std::function<void()> step) { return listFirst(path, std::move(step)); });
    connect(box, &FileSelectionBox::pageRequested, this, &TForm1::pageView);
    connect(box, &FileSelectionBox::entered, this, &TForm1::MenuEditClick);
    connect(box, &FileSelectionBox::layoutButtonClicked, this, &TForm1::BtnFileSelBoxCompClick);
    connect(box, &FileSelectionBox::closeClicked, this, &TForm1::BtnCloseFileSelectBoxClick);
    connect(Splitter1, &QSplitter::splitterMoved, this, &TForm1::Splitter1Moved);
    connect(ViewSelect, &QAction::triggered, this, &TForm1::ViewSelectClick);
    RichEdit->installEventFilter(this);

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
    }
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::FileListBox1KeyDown(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Space)
        pageView(event->modifiers() & Qt::ShiftModifier);
}

void TForm1::pageView(bool back)
{
    if (back)
        RichEdit->pageUp();
    else
        RichEdit->pageDown();
}

void TForm1::FileListBox1Change(const QString &path)
{
    LoadDocument(path, LoadMode::New, 0);
    RichEdit->scrollToCaret();
}

void TForm1::BuildFilterList()
{
    // The order goes first, so that the list the new entries read comes in it.
    PanelDirBars->setNameOrder(Settings.NaturalSort ? NameOrder::Natural : NameOrder::Plain);
    PanelDirBars->setFilterEntries(filterEntries(Settings));
}

void TForm1::applyStoredFilterEntry()
{
    const QChar entry = Settings.flag(Flag::FilterEntry);
    const bool stored = entry >= QLatin1Char('0') && entry <= QLatin1Char('5');
    PanelDirBars->chooseFilter(stored ? entry.unicode() - u'0' : -1);
}

void TForm1::BtnFileSelBoxCompClick()
{
    Settings.setFlag(Flag::FileBoxLayout, QLatin1Char(char(PanelDirBars->BtnFileSelBoxCompClick())));
}

void TForm1::applyStoredLayout()
{
    PanelDirBars->pressLayout(FileBoxLayout(Settings.flag(Flag::FileBoxLayout).toLatin1()));
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

void TForm1::ActionViewPreExecute()
{
    PopupPre0Click(0);
}

void TForm1::ActionViewNextExecute()
{
    PopupNext0Click(0);
}

void TForm1::stepThroughHistory(const QString &path, LoadMode mode, int index)
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

void TForm1::PopupPre0Click(int index)
{
    stepThroughHistory(Settings.History.PreHistory[index], LoadMode::Back, index);
}

void TForm1::PopupNext0Click(int index)
{
    stepThroughHistory(Settings.History.NextHistory[index], LoadMode::Forward, index);
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
