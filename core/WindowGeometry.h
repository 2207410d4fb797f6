#pragma once

#include <QRect>
#include <QSize>

namespace WindowGeometry {

// Fits a window into the screen: too wide becomes screen-wide at the left edge 0; too high
// becomes 52 pixels lower than the screen at the top edge 0 (room for the task bar).
QRect clampToScreen(QRect window, QSize screen);

} // namespace WindowGeometry
