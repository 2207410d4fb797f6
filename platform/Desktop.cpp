#include "platform/Desktop.h"

#include <QApplication>
#include <QClipboard>
#include <QScreen>

namespace Desktop {

QSize screenSize()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : QSize(1024, 768);
}

void beep()
{
    QApplication::beep();
}

void setClipboardText(const QString &text)
{
    QGuiApplication::clipboard()->setText(text);
}

QString clipboardText()
{
    return QGuiApplication::clipboard()->text();
}

} // namespace Desktop
