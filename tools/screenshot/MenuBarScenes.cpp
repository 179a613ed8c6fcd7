// The menu-bar panel in each state, from pinned readings and a helper stand-in so that each
// shows exactly one state, and the tray label on a light or dark tray strip.

#include "tools/screenshot/SceneApp.h"
#include "tools/screenshot/SceneDriver.h"
#include "tools/screenshot/SceneFixtures.h"
#include "tools/screenshot/Scenes.h"

#include "app/ui/menubar/MenuBarLabel.h"
#include "app/ui/menubar/PanelChrome.h"

#include <QImage>
#include <QPainter>

namespace brisvane::screenshot {

// waiting, two-fans, parked-fan, stalled-fan, unlocking, failed, helper-missing, boost-35,
// boost-88 or rounded (with the corners and shadow of a compositing desktop).
int menuBarPanel(const QString& panelState, const QString& scheme, const QString& file)
{
    ManualClock alertsClock;
    SceneApp scene(scheme);
    auto helper = std::make_unique<PreviewHelperClient>(HelperState::installed);
    PreviewHelperClient& preview = *helper;
    AppState& state = scene.compose(std::move(helper), SceneApp::Sampling::off, alertsClock);

    if (panelState == QLatin1StringView("stalled-fan"))
        stallRightFan(state.telemetry(), alertsClock);
    else if (panelState != QLatin1StringView("waiting"))
        state.telemetry().ingest(pinnedSample(
            {fan(0, 2412.6), fan(1, panelState == QLatin1StringView("parked-fan") ? 0 : 2688)}));
    HelperStatus status;
    if (panelState == QLatin1StringView("unlocking")) {
        status.phase = HelperControlPhase::unlocking;
        preview.setLastStatus(status);
    } else if (panelState == QLatin1StringView("failed")) {
        status.phase = HelperControlPhase::failed;
        preview.setLastStatus(status);
    } else if (panelState == QLatin1StringView("helper-missing")) {
        preview.setState(HelperState::notInstalled);
    } else if (panelState == QLatin1StringView("boost-35")) {
        state.engine().setQuickBoostPercent(35);
    } else if (panelState == QLatin1StringView("boost-88")) {
        state.engine().setQuickBoostPercent(88);
    }

    if (!scene.build(false))
        return 1;
    QQuickWindow& panel = *scene.app().menuBarPanel();
    // A panel follows the state only while it is open, as the app opens it.
    panel.setProperty("live", true);
    // As a compositing desktop shows it: the offscreen platform composites nothing.
    if (panelState == QLatin1StringView("rounded"))
        panel.setProperty("shape", static_cast<int>(PanelChrome::Shape::Rounded));
    return save(panel, file);
}

// Both lines where the bar gives width ("wide"), the temperature alone in a Linux tray's
// 22-pixel square icon ("square").
int trayLabel(const QString& form, const QString& scheme, const QString& file)
{
    const bool dark = scheme == QLatin1StringView("dark");
    const double scale = MenuBarLabel::largestScreenScale();
    const QColor ink = dark ? Qt::white : Qt::black;
    const QString temperature = qtTrId("menuBar.item.temperature").arg(61);
    const bool square = form == QLatin1StringView("square");
    const QImage label =
        square
            ? MenuBarLabel::temperatureImage(temperature, MenuBarLabel::kSquareIconArea, scale, ink)
            : MenuBarLabel::image(temperature, qtTrId("menuBar.item.fanSpeed").arg(2688), scale,
                                  ink);
    // A square icon fills the tray's height, as trays place it.
    const QSizeF labelSize = label.deviceIndependentSize();
    const QPointF origin(12, square ? 0 : 4);
    QImage strip(QSize(static_cast<int>((labelSize.width() + 24) * scale),
                       static_cast<int>((labelSize.height() + 2 * origin.y()) * scale)),
                 QImage::Format_ARGB32_Premultiplied);
    strip.setDevicePixelRatio(scale);
    strip.fill(dark ? QColor(0x2b, 0x2b, 0x2d) : QColor(0xec, 0xec, 0xee));
    QPainter painter(&strip);
    painter.drawImage(origin, label);
    painter.end();
    return saveImage(strip, file);
}

} // namespace brisvane::screenshot
