#include "core/WindowGeometry.h"

#include <algorithm>

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

QRect keepTitleBarOnScreen(QRect window, const QList<QRect> &screens, QRect primaryAvailable)
{
    const QRect titleBar(window.topLeft(), QSize(std::max(1, window.width()), kTitleBarHeight));
    const bool reachable = std::any_of(screens.begin(), screens.end(),
                                       [&](const QRect &screen) { return screen.intersects(titleBar); });
    if (!reachable)
        window.moveTopLeft(primaryAvailable.topLeft());
    return window;
}

} // namespace WindowGeometry
