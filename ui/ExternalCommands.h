#pragma once

#include <QObject>

#include <array>
#include <functional>

class QAction;
class QWidget;
class Dialogs;
class Shell;
class AddressBar;
class FileSelectionBox;
class ReadingSession;

// Handing the viewed file or folder to other programs (editors, the print spooler, the
// desktop's handler, the file manager) and saving the shown text under another name.
class ExternalCommands : public QObject {
    Q_OBJECT
public:
    struct Host {
        QWidget *window;
        Dialogs &dialogs;
        Shell &shell;
        ReadingSession &session;
        FileSelectionBox *box;
        AddressBar *pathBar;
        // Where the open and save dialogs start.
        std::function<QString()> dialogFolder;
    };
    struct Commands {
        QAction *edit, *print, *exportAddress, *saveAs, *explore;
        std::array<QAction *, 4> editors; // the editor menu's entries
    };
    ExternalCommands(Host host, Commands commands, QObject *parent);

    // The editor menu's entries as the settings name them.
    void showEditors();

private:
    // Runs `start` with the viewed file as other programs get it: a member of an archive as a
    // copy in the work folder, once it is read; never when its read is cancelled or fails.
    void handOver(const std::function<void(const QString &path)> &start);
    // The plain-text editor's path, or empty when none is found.
    QString FindNotepad();
    // Starts the plain-text editor on the viewed file; false when there is none.
    bool RunNotepad(const QString &prefix, bool verbose);
    void ActionEditExecute(QObject *sender);
    void ActionPrintExecute();
    void ActionExportExecute();
    void ActionSaveAsExecute();

    Host host_;
    Commands commands_;
};
