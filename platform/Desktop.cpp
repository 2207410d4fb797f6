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

QList<QRect> screenGeometries()
{
    QList<QRect> geometries;
    for (const QScreen *screen : QGuiApplication::screens())
        geometries.append(screen->geometry());
    return geometries;
}

QRect primaryAvailableGeometry()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(QPoint(0, 0), screenSize());
}

namespace {
int beeps = 0;
}

void beep()
{
    ++beeps;
    QApplication::beep();
}

int beepCount()
{
    return beeps;
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
