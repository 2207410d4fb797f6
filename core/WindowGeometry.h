#pragma once

#include <QList>
#include <QRect>
#include <QSize>

namespace WindowGeometry {

// The strip along a window's top edge that its title bar takes, for telling whether the user
// can still reach the window to drag it.
inline constexpr int kTitleBarHeight = 24;

// Fits a window into the screen: too wide becomes screen-wide at the left edge 0; too high
// becomes 52 pixels lower than the screen at the top edge 0 (room for the task bar).
QRect clampToScreen(QRect window, QSize screen);

// A window whose title bar lies on none of the screens (say a monitor that was unplugged)
// moves to the top-left corner of the primary screen's available area; any other stays.
QRect keepTitleBarOnScreen(QRect window, const QList<QRect> &screens, QRect primaryAvailable);

} // namespace WindowGeometry
