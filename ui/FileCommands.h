#pragma once

#include <QChar>
#include <QObject>
#include <QStringList>

#include <functional>

class QAction;
class QWidget;
class Dialogs;
class AddressBar;
class FileSelectionBox;
class ReadingSession;
struct CopyMoveRequest;

// Operations on the viewed file: delete, copy, move, rename with attributes and time. A file
// inside an archive is only copied.
class FileCommands : public QObject {
    Q_OBJECT
public:
    struct Host {
        QWidget *window;
        Dialogs &dialogs;
        ReadingSession &session;
        FileSelectionBox *box;
        AddressBar *pathBar;
        QAction *copy, *move, *rename, *remove;
        // The bookmarked paths, in the file's order, for the copy/move dialog.
        std::function<QStringList()> bookmarkPaths;
        // Reads the viewed file again (the reload command).
        std::function<void()> reload;
    };
    FileCommands(Host host, QObject *parent);

    void ActionFileDeleteExecute();
    void ActionFileCopyExecute(QObject *sender);
    void ActionFileRenameExecute();

private:
    void stepPastRemovedFile();
    // A file inside an archive cannot be deleted, moved, renamed or retimed: says so, true then.
    bool refuseInArchive();
    void openCopyMoveDialog(const CopyMoveRequest &request);

    Host host_;
    // The copy/move dialog's remembered choice ('2' bookmarked folder) and bookmark index, for the run.
    QChar CopyMoveChoice;
    int CopyMoveBookmarkIndex = 0;
};
