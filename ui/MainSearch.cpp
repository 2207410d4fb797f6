// The search bar: the window's search commands drive it and its mark follows it; a search that
// goes on through the folder is the session's.
#include "ui/MainWindow.h"

#include "resources/MainTexts.h"
#include "ui/FileSelectionBox.h"
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

    ReadingSession *session = session_;
    ActionCancelSearch = cancelCommand("ActionCancelSearch");
    connect(ActionCancelSearch, &QAction::triggered, session, &ReadingSession::cancelFolderSearch);
    connect(session, &ReadingSession::folderSearchBusy, ActionCancelSearch, &QAction::setEnabled);
    connect(PanelSearch, &SearchBar::closed, session, &ReadingSession::cancelFolderSearch);
    connect(PanelSearch, &SearchBar::endReached, session, [this, session](const QString &word, bool matchCase, bool forward) {
        session->searchFolder(PanelDirBars->listedFiles(), word, matchCase, forward);
    });
    connect(session, &ReadingSession::folderSearchFound, this, &MainWindow::showFolderHit);
}

void MainWindow::showFolderHit(qsizetype index, const QString &word, bool forward)
{
    const QString path = PanelDirBars->listedFiles().value(index);
    // Shown as a step through the list shows it; the hit is found again in the text shown.
    const auto selectHit = [this, word, forward] {
        const bool matchCase = PanelSearch->caseSensitive();
        const qint64 at = forward ? view_->find(word, 0, matchCase)
                                  : view_->findBackward(word, std::numeric_limits<qint64>::max(), matchCase);
        if (at >= 0)
            PanelSearch->selectHit(at);
    };
    PanelDirBars->showFile(path);
    FileListBox1Change(path);
    if (FileNameNow() == path) {
        selectHit();
        return;
    }
    // A large file goes on loading; its hit is selected once it is shown.
    auto once = std::make_shared<QMetaObject::Connection>();
    *once = connect(
        session_, &ReadingSession::shown, this,
        [this, once, path, selectHit] {
            disconnect(*once);
            if (FileNameNow() == path)
                selectHit();
        },
        Qt::QueuedConnection);
}
