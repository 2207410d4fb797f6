#include "platform/ExceptionGuard.h"

#include "platform/Dialogs.h"

#include <QApplication>

#include <exception>

bool runReportingExceptions(const std::function<bool()> &call, Dialogs &dialogs, QWidget *parent)
{
    QString text;
    try {
        return call();
    } catch (const std::exception &e) {
        text = QString::fromLocal8Bit(e.what());
    } catch (...) {
        text = QStringLiteral("Unknown exception");
    }
    dialogs.message(parent, text, QApplication::applicationDisplayName(), Dialogs::Kind::Failure);
    return false;
}
