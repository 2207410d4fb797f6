#pragma once

#include <QApplication>

class Dialogs;

// The application object: an exception escaping a handler is shown in a failure box and
// the program goes on.
class OrlimboApplication : public QApplication {
public:
    OrlimboApplication(int &argc, char **argv, Dialogs &dialogs);
    bool notify(QObject *receiver, QEvent *event) override;

private:
    Dialogs &dialogs_;
};
