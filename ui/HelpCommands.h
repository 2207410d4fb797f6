#pragma once

#include <QObject>

class QAction;
class QWidget;
class Dialogs;
class Shell;

// The help file, the version dialog and the author's addresses.
class HelpCommands : public QObject {
    Q_OBJECT
public:
    struct Host {
        QWidget *window;
        Dialogs &dialogs;
        Shell &shell;
    };
    struct Commands {
        QAction *help, *version, *versionCheck, *webSite, *mail, *cannotShow;
    };
    HelpCommands(Host host, Commands commands, QObject *parent);

private:
    void ActionOpenHelpExecute();
    void ActionVerInfoExecute();

    Host host_;
};
