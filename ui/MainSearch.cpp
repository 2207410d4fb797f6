// The search bar: the window's search commands drive it and its mark follows it; a search that
// goes on through the folder runs here, off the window's thread.
#include "ui/MainWindow.h"

#include "core/DocumentEncoding.h"
#include "platform/Desktop.h"
#include "resources/MainTexts.h"
#include "ui/FileSelectionBox.h"
#include "ui/FolderSearchRunner.h"
#include "ui/SearchBar.h"
#include "ui/widgets/TextView.h"

#include <QAction>

#include <limits>

void MainWindow::connectSearch()
{
    PanelSearch->setSearchCommand(ActionGoSearch);
    ActionGoSearch->setToolTip(MainTexts::kSearchButtonHint);
    // The button shows one character; the menu keeps the command's caption.
    ActionFindPrevious->setIconText(MainTexts::kFindPreviousButton);
    PanelSearch->setFindPreviousCommand(ActionFindPrevious);
    // Ctrl+A stays with the field and selects the word; the copy key goes to the window's command.
    PanelSearch->leaveKeysToWindow({ActionCopy->shortcut()});
    connect(ActionOpenSearch, &QAction::triggered, PanelSearch, &SearchBar::open);
    connect(ActionGoSearch, &QAction::triggered, PanelSearch, &SearchBar::findNext);
    connect(ActionFindNext, &QAction::triggered, PanelSearch, &SearchBar::findNext);
    connect(ActionFindPrevious, &QAction::triggered, PanelSearch, &SearchBar::findPrevious);
    connect(PanelSearch, &SearchBar::opened, this, [this] { ViewSearch->setChecked(true); });
    connect(PanelSearch, &SearchBar::closed, this, [this] { ViewSearch->setChecked(false); });
    // The beep is silent on many desktops, so the status bar says it too.
    connect(PanelSearch, &SearchBar::notFound, this,
            [this](const QString &word) { noteUntilNextKey(MainTexts::notFoundText(word)); });

    folderSearch_ = new FolderSearchRunner(this);
    ActionCancelSearch = cancelCommand("ActionCancelSearch");
    connect(ActionCancelSearch, &QAction::triggered, this, &MainWindow::cancelFolderSearch);
    connect(PanelSearch, &SearchBar::closed, this, &MainWindow::cancelFolderSearch);
    connect(PanelSearch, &SearchBar::endReached, this, &MainWindow::searchFolder);
    connect(folderSearch_, &FolderSearchRunner::progressed, this, [this](qsizetype done, qsizetype total) {
        // The reader went to another file meanwhile: the search was for the one left.
        if (FileNameNow() != folderSearchFrom_->path)
            cancelFolderSearch();
        else
            setStatus(StatusPanel::Date, MainTexts::folderSearchProgressText(done, total));
    });
    connect(folderSearch_, &FolderSearchRunner::ended, this, &MainWindow::folderSearchEnded);
}

void MainWindow::searchFolder(const QString &word, bool matchCase, bool forward)
{
    cancelFolderSearch();
    const QStringList files = PanelDirBars->listedFiles();
    // A file shown from elsewhere than the list leaves the whole list to search.
    const qsizetype viewed = files.indexOf(FileNameNow());
    FolderSearch::Request request;
    request.sources = files;
    request.first = forward ? viewed + 1 : viewed >= 0 ? viewed - 1 : files.size() - 1;
    request.direction = forward ? FolderSearch::Direction::Forward : FolderSearch::Direction::Backward;
    request.word = word;
    request.matchCase = matchCase;
    request.chosen = DocumentEncoding::forcedEncoding(Settings.encodingChoice());
    folderSearchFrom_ = FolderSearchStart{FileNameNow(), word, forward, statusText(StatusPanel::Date)};
    ActionCancelSearch->setEnabled(true);
    folderSearch_->start(std::move(request));
}

void MainWindow::cancelFolderSearch()
{
    if (!folderSearch_->running())
        return;
    folderSearch_->cancel();
    ActionCancelSearch->setEnabled(false);
    if (FileNameNow() == folderSearchFrom_->path)
        setStatus(StatusPanel::Date, folderSearchFrom_->dateText);
    folderSearchFrom_.reset();
}

void MainWindow::folderSearchEnded(const FolderSearch::Result &result)
{
    ActionCancelSearch->setEnabled(false);
    const FolderSearchStart from = *std::exchange(folderSearchFrom_, std::nullopt);
    // The reader went elsewhere meanwhile: what was found is no longer the next file.
    if (FileNameNow() != from.path)
        return;
    setStatus(StatusPanel::Date, from.dateText);
    const QString passed = result.passedOver > 0 ? MainTexts::passedOverText(result.passedOver) : QString();
    if (result.found < 0) {
        Desktop::beep();
        noteUntilNextKey(MainTexts::folderNotFoundText(from.word, from.forward) + passed);
        return;
    }
    const QStringList files = PanelDirBars->listedFiles();
    const QString path = files.value(result.found);
    // Shown as a step through the list shows it; the hit is found again in the text shown.
    const auto selectHit = [this, word = from.word, forward = from.forward] {
        const bool matchCase = PanelSearch->caseSensitive();
        const qint64 at = forward ? RichEdit->find(word, 0, matchCase)
                                  : RichEdit->findBackward(word, std::numeric_limits<qint64>::max(), matchCase);
        if (at >= 0)
            PanelSearch->selectHit(at);
    };
    PanelDirBars->showFile(path);
    FileListBox1Change(path);
    if (FileNameNow() == path) {
        selectHit();
    } else {
        // A large file goes on loading; its hit is selected once it is shown.
        auto once = std::make_shared<QMetaObject::Connection>();
        *once = connect(
            RichEdit, &TextView::textChanged, this,
            [this, once, path, selectHit] {
                disconnect(*once);
                if (FileNameNow() == path)
                    selectHit();
            },
            Qt::QueuedConnection);
    }
    if (!passed.isEmpty())
        noteUntilNextKey(passed);
}
