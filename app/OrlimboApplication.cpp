#include "app/OrlimboApplication.h"

#include "platform/ExceptionGuard.h"

OrlimboApplication::OrlimboApplication(int &argc, char **argv, Dialogs &dialogs)
    : QApplication(argc, argv), dialogs_(dialogs)
{
}

bool OrlimboApplication::notify(QObject *receiver, QEvent *event)
{
    return runReportingExceptions([&] { return QApplication::notify(receiver, event); }, dialogs_, activeWindow());
}
