#pragma once

#include <QSize>
#include <QString>

// Small services of the desktop.
namespace Desktop {

// The size of the primary screen in pixels.
QSize screenSize();
// The system's short alert sound.
void beep();
void setClipboardText(const QString &text);
QString clipboardText();

} // namespace Desktop
