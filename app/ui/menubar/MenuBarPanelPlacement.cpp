#include "app/ui/menubar/MenuBarPanelPlacement.h"

#include <algorithm>

namespace brisvane {

QPoint MenuBarPanelPlacement::position(const QRect& trayIcon, const QRect& available,
                                       const QSize& panel)
{
    // QRect::right() is the last column inside; the first one outside is one further.
    const int areaRight = available.x() + available.width();
    const int areaBottom = available.y() + available.height();
    QPoint origin(areaRight - kFallbackRightMargin - panel.width(), available.y() + kGap);
    if (trayIcon.isValid()) {
        const int centreX = trayIcon.x() + trayIcon.width() / 2;
        const int centreY = trayIcon.y() + trayIcon.height() / 2;
        const bool below = centreY < available.y() + available.height() / 2;
        origin = QPoint(centreX - panel.width() / 2, below ? trayIcon.y() + trayIcon.height() + kGap
                                                           : trayIcon.y() - kGap - panel.height());
    }
    // Clamped to the far edge first, so that a panel too large for the area keeps its
    // top-left corner (its title and first rows) on screen.
    origin.setX(std::max(available.x(), std::min(origin.x(), areaRight - panel.width())));
    origin.setY(std::max(available.y(), std::min(origin.y(), areaBottom - panel.height())));
    return origin;
}

} // namespace brisvane
