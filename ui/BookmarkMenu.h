#pragma once

#include "core/BookmarkFile.h"

#include <QObject>
#include <QStringList>

class QAction;
class QMenu;
class QWidget;
class Dialogs;
class AddressBar;
class ReadingSession;

// The bookmark menu, read from BOOKMARK.CSV the first time it is needed, the address bar's list
// of bookmarked paths made from it, and the bookmark dialog.
class BookmarkMenu : public QObject {
    Q_OBJECT
public:
    struct Host {
        QWidget *window;
        Dialogs &dialogs;
        ReadingSession &session;
        AddressBar *pathBar;
        QMenu *menu;
        QAction *add, *organise; // the menu's fixed entries
        QAction *build, *openDialog; // the commands that fill the menu and open the dialog
    };
    BookmarkMenu(Host host, QObject *parent);

    // Empties the menu down to its fixed entries; it is read anew from the file the next time it
    // is needed.
    void ClearBookmarkMenu();
    void ActionViewBookmarkExecute();
    // The bookmarked paths in the file's order, read from the file now.
    QStringList paths() const;

private:
    // Where BOOKMARK.CSV is saved and read; every reader takes readFrom.
    BookmarkPlaces bookmarkPlaces() const;
    void ActionBookmarkClickExecute(QAction *item);
    void ActionOpenAddBookmarkDialogExecute();
    void FillPathList();

    Host host_;
    // Whether the menu holds the entries of the file; the path list is filled from it.
    bool BookmarkMenuBuilt = false;
    bool PathListBuilt = false;
};
