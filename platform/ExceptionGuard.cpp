#include "platform/ExceptionGuard.h"

#include "platform/Dialogs.h"
#include "resources/SystemErrorTexts.h"

#include <QApplication>
#include <QMainWindow>

#include <exception>
#include <new>

namespace {

// The application title is the main window's caption at this moment.
QString applicationTitle()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (qobject_cast<QMainWindow *>(w) && !w->windowTitle().isEmpty())
            return w->windowTitle();
    return QApplication::applicationName();
}

} // namespace

bool runReportingExceptions(const std::function<bool()> &call, Dialogs &dialogs, QWidget *parent)
{
    QString text;
    try {
        return call();
    } catch (const std::bad_alloc &) {
        text = SystemErrorTexts::kOutOfMemory;
    } catch (const std::exception &e) {
        text = QString::fromLocal8Bit(e.what());
    } catch (...) {
        text = QStringLiteral("Unknown exception");
    }
    dialogs.message(parent, text, applicationTitle(), Dialogs::Kind::Failure);
    return false;
}
