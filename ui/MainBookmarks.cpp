// The bookmark menu, the address bar's list of bookmarked paths and the bookmark dialog.
#include "ui/MainWindow.h"

#include "core/BookmarkFile.h"
#include "platform/Dialogs.h"
#include "platform/FileSystem.h"
#include "platform/ProgramFolder.h"
#include "resources/BookmarkTexts.h"
#include "ui/AddressBar.h"
#include "ui/BookmarkDialog.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>

namespace {

// The hints of the two fixed menu items; every other item's hint is its bookmark's path.
const QString kAddHint = QStringLiteral("#");
const QString kOrganiseHint = QStringLiteral("@");
// Add, organise and the separator come before the bookmarks.
constexpr int kFixedMenuItems = 3;

} // namespace

void MainWindow::connectBookmarks()
{
    BookmarkAdd->setToolTip(kAddHint);
    BookmarkOrganise->setToolTip(kOrganiseHint);
    connect(ActionViewBookmark, &QAction::triggered, this, &MainWindow::ActionViewBookmarkExecute);
    connect(ActionOpenAddBookmarkDialog, &QAction::triggered, this, &MainWindow::ActionOpenAddBookmarkDialogExecute);
    for (QAction *item : {BookmarkAdd, BookmarkOrganise})
        connect(item, &QAction::triggered, this, [this, item] { ActionBookmarkClickExecute(item); });
}

BookmarkPlaces MainWindow::bookmarkPlaces() const
{
    return BookmarkFilePlaces(ProgramFolder(), ProgramFolderWritable());
}

void MainWindow::ActionViewBookmarkExecute()
{
    BuildBookmarkMenu();
}

void MainWindow::BuildBookmarkMenu()
{
    if (BookmarkMenuBuilt)
        return;
    BookmarkMenuBuilt = true;
    for (const Bookmark &record : ReadBookmarkFile(bookmarkPlaces().readFrom, FileSystem::nativeExists)) {
        QAction *item = MenuBookmark->addAction(record.name);
        item->setToolTip(record.path);
        connect(item, &QAction::triggered, this, [this, item] { ActionBookmarkClickExecute(item); });
    }
}

void MainWindow::ClearBookmarkMenu()
{
    const QList<QAction *> items = MenuBookmark->actions();
    for (qsizetype i = kFixedMenuItems; i < items.size(); ++i) {
        MenuBookmark->removeAction(items[i]);
        items[i]->deleteLater();
    }
    BookmarkMenuBuilt = false;
}

void MainWindow::ActionBookmarkClickExecute(QAction *item)
{
    const QString hint = item->toolTip();
    if (hint.startsWith(kAddHint)) {
        Settings.setFlag(Flag::BookmarkDialogMode, QLatin1Char(char(BookmarkDialogMode::Add)));
        ActionOpenAddBookmarkDialogExecute();
    } else if (hint.startsWith(kOrganiseHint)) {
        Settings.setFlag(Flag::BookmarkDialogMode, QLatin1Char(char(BookmarkDialogMode::Organise)));
        ActionOpenAddBookmarkDialogExecute();
    } else {
        PanelPathBar->enterPath(hint);
    }
}

void MainWindow::ActionOpenAddBookmarkDialogExecute()
{
    {
        const BookmarkPlaces places = bookmarkPlaces();
        BookmarkDialog dialog(BookmarkDialogContext{FileNameNow(), BookmarkDialogMode(Settings.flag(Flag::BookmarkDialogMode).toLatin1()),
                                                   places.saveTo, services_.dialogs, places.readFrom},
                             this);
        dialog.exec();
    }
    // Saved or cancelled, the menu is read anew from the file.
    ClearBookmarkMenu();
    ActionViewBookmarkExecute();
    PathListBuilt = false;
}

void MainWindow::FillPathList()
{
    if (!BookmarkMenuBuilt) {
        services_.dialogs.message(this, BookmarkTexts::kNotInitialisedText, BookmarkTexts::kNotInitialisedCaption,
                                  Dialogs::Kind::Warning);
        ActionViewBookmarkExecute();
        services_.dialogs.message(this, BookmarkTexts::kWorkedAroundText, BookmarkTexts::kWorkedAroundCaption,
                                  Dialogs::Kind::Notice);
        return;
    }
    if (PathListBuilt)
        return;
    QStringList paths;
    const QList<QAction *> items = MenuBookmark->actions();
    for (qsizetype i = kFixedMenuItems; i < items.size(); ++i)
        paths << items[i]->toolTip();
    PanelPathBar->setListedPaths(paths);
    PathListBuilt = true;
}
