#pragma once
// Where the menu-bar panel opens: centred under the tray icon (over it when the tray sits at the
// bottom of the screen), and at the top right under the menu bar, as on a Mac, when the tray does
// not say where its icon is. The panel always lands inside the screen's available area.

#include <QPoint>
#include <QRect>
#include <QSize>

namespace brisvane {

class MenuBarPanelPlacement {
public:
    // Between the icon (or the menu bar) and the panel, and between the panel and the screen's
    // right edge in the fallback, in points.
    static constexpr int kGap = 4;
    static constexpr int kFallbackRightMargin = 8;

    // The panel's top-left corner. `trayIcon` is in global coordinates, empty where unknown;
    // `available` is the screen's area without its bars. A panel larger than the area keeps its
    // top-left corner inside it.
    static QPoint position(const QRect& trayIcon, const QRect& available, const QSize& panel);
};

} // namespace brisvane
