// The bookmark menu, the address bar's list of bookmarked paths and the bookmark dialog.
#include "ui/BookmarkMenu.h"

#include "platform/Dialogs.h"
#include "platform/FileSystem.h"
#include "platform/ProgramFolder.h"
#include "resources/BookmarkTexts.h"
#include "ui/AddressBar.h"
#include "ui/BookmarkDialog.h"
#include "ui/ReadingSession.h"

#include <QAction>
#include <QMenu>

namespace {

// The hints of the two fixed menu items; every other item's hint is its bookmark's path.
const QString kAddHint = QStringLiteral("#");
const QString kOrganiseHint = QStringLiteral("@");
// Add, organise and the separator come before the bookmarks.
constexpr int kFixedMenuItems = 3;

} // namespace

BookmarkMenu::BookmarkMenu(Host host, QObject *parent) : QObject(parent), host_(host)
{
    host_.add->setToolTip(kAddHint);
    host_.organise->setToolTip(kOrganiseHint);
    connect(host_.build, &QAction::triggered, this, &BookmarkMenu::ActionViewBookmarkExecute);
    connect(host_.openDialog, &QAction::triggered, this, &BookmarkMenu::ActionOpenAddBookmarkDialogExecute);
    for (QAction *item : {host_.add, host_.organise})
        connect(item, &QAction::triggered, this, [this, item] { ActionBookmarkClickExecute(item); });
    connect(host_.menu, &QMenu::aboutToShow, host_.build, &QAction::trigger);
    connect(host_.pathBar, &AddressBar::listRequested, this, &BookmarkMenu::FillPathList);
}

BookmarkPlaces BookmarkMenu::bookmarkPlaces() const
{
    return BookmarkFilePlaces(ProgramFolder(), ProgramFolderWritable());
}

QStringList BookmarkMenu::paths() const
{
    QStringList paths;
    for (const Bookmark &record : ReadBookmarkFile(bookmarkPlaces().readFrom, FileSystem::nativeExists))
        paths << record.path;
    return paths;
}

void BookmarkMenu::ActionViewBookmarkExecute()
{
    if (BookmarkMenuBuilt)
        return;
    BookmarkMenuBuilt = true;
    for (const Bookmark &record : ReadBookmarkFile(bookmarkPlaces().readFrom, FileSystem::nativeExists)) {
        QAction *item = host_.menu->addAction(record.name);
        item->setToolTip(record.path);
        connect(item, &QAction::triggered, this, [this, item] { ActionBookmarkClickExecute(item); });
    }
}

void BookmarkMenu::ClearBookmarkMenu()
{
    const QList<QAction *> items = host_.menu->actions();
    for (qsizetype i = kFixedMenuItems; i < items.size(); ++i) {
        host_.menu->removeAction(items[i]);
        items[i]->deleteLater();
    }
    BookmarkMenuBuilt = false;
}

void BookmarkMenu::ActionBookmarkClickExecute(QAction *item)
{
    SettingsRecord &settings = host_.session.settings();
    const QString hint = item->toolTip();
    if (hint.startsWith(kAddHint)) {
        settings.setFlag(Flag::BookmarkDialogMode, QLatin1Char(char(BookmarkDialogMode::Add)));
        ActionOpenAddBookmarkDialogExecute();
    } else if (hint.startsWith(kOrganiseHint)) {
        settings.setFlag(Flag::BookmarkDialogMode, QLatin1Char(char(BookmarkDialogMode::Organise)));
        ActionOpenAddBookmarkDialogExecute();
    } else {
        host_.pathBar->enterPath(hint);
    }
}

void BookmarkMenu::ActionOpenAddBookmarkDialogExecute()
{
    {
        const BookmarkPlaces places = bookmarkPlaces();
        const auto mode = BookmarkDialogMode(host_.session.settings().flag(Flag::BookmarkDialogMode).toLatin1());
        BookmarkDialog dialog(
            BookmarkDialogContext{host_.session.FileNameNow(), mode, places.saveTo, host_.dialogs, places.readFrom},
            host_.window);
        dialog.exec();
    }
    // Saved or cancelled, the menu is read anew from the file.
    ClearBookmarkMenu();
    ActionViewBookmarkExecute();
    PathListBuilt = false;
}

void BookmarkMenu::FillPathList()
{
    if (!BookmarkMenuBuilt) {
        host_.dialogs.message(host_.window, BookmarkTexts::kNotInitialisedText, BookmarkTexts::kNotInitialisedCaption,
                              Dialogs::Kind::Warning);
        ActionViewBookmarkExecute();
        host_.dialogs.message(host_.window, BookmarkTexts::kWorkedAroundText, BookmarkTexts::kWorkedAroundCaption,
                              Dialogs::Kind::Notice);
        return;
    }
    if (PathListBuilt)
        return;
    QStringList paths;
    const QList<QAction *> items = host_.menu->actions();
    for (qsizetype i = kFixedMenuItems; i < items.size(); ++i)
        paths << items[i]->toolTip();
    host_.pathBar->setListedPaths(paths);
    PathListBuilt = true;
}
