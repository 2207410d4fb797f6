#pragma once

#include <QList>
#include <QRect>
#include <QSize>
#include <QString>

// Small services of the desktop.
namespace Desktop {

// The size of the primary screen in pixels.
QSize screenSize();
// The geometry of every screen, and the primary screen's area without panels and task bars.
QList<QRect> screenGeometries();
QRect primaryAvailableGeometry();
// The system's short alert sound.
void beep();
// How many alert sounds were played in this run (tests listen to the sound through it).
int beepCount();
void setClipboardText(const QString &text);
QString clipboardText();

} // namespace Desktop
