#include "core/WindowGeometry.h"

namespace WindowGeometry {

QRect clampToScreen(QRect window, QSize screen)
{
    if (screen.width() < window.width()) {
        window.setWidth(screen.width());
        window.moveLeft(0);
    }
    if (screen.height() < window.height()) {
        window.setHeight(screen.height() - 52);
        window.moveTop(0);
    }
    return window;
}

} // namespace WindowGeometry
