#include "app/ui/RenderStats.h"

#include <QQuickWindow>

#include <atomic>
#include <memory>

namespace brisvane {

Q_LOGGING_CATEGORY(uiStatsLog, "org.brisvane.Brisvane.ui-stats", QtWarningMsg)

namespace RenderStats {

void watchFrames(QQuickWindow& window, const char* name)
{
    if (!uiStatsLog().isDebugEnabled())
        return;
    struct Counts {
        std::atomic<bool> visible{false};
        std::atomic<long> frames{0};
    };
    auto counts = std::make_shared<Counts>();
    counts->visible = window.isVisible();
    QObject::connect(&window, &QWindow::visibleChanged, &window,
                     [counts](bool visible) { counts->visible = visible; });
    // Emitted on the render thread: the visibility is read from the atomic copy.
    QObject::connect(
        &window, &QQuickWindow::frameSwapped, &window,
        [counts, name] {
            qCDebug(uiStatsLog, "%s frame %ld %s", name, ++counts->frames,
                    counts->visible ? "shown" : "hidden");
        },
        Qt::DirectConnection);
}

void trayImageDrawn(const QString& label)
{
    static long drawn = 0;
    qCDebug(uiStatsLog, "tray image drawn %ld: %s", ++drawn, qUtf8Printable(label));
}

} // namespace RenderStats
} // namespace brisvane
