#include "app/OrlimboApplication.h"

#include "platform/Dialogs.h"

#include <exception>

OrlimboApplication::OrlimboApplication(int &argc, char **argv, Dialogs &dialogs)
    : QApplication(argc, argv), dialogs_(dialogs)
{
}

bool OrlimboApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &e) {
        dialogs_.message(activeWindow(), QString::fromLocal8Bit(e.what()), applicationDisplayName(),
                         Dialogs::Kind::Failure);
    } catch (...) {
        dialogs_.message(activeWindow(), QStringLiteral("Unknown exception"), applicationDisplayName(),
                         Dialogs::Kind::Failure);
    }
    return false;
}
