// The curves section: a built-in preset read-only with its note, a user preset with the live
// overlay, a point held mid-drag with its callout, the hover ghost and readout, a preset whose
// fans have curves of their own, the question "All fans" asks on it, and the empty state.

#include "tools/screenshot/SceneApp.h"
#include "tools/screenshot/SceneDriver.h"
#include "tools/screenshot/SceneFixtures.h"
#include "tools/screenshot/Scenes.h"

#include "app/ui/curves/CurveChart.h"
#include "app/ui/curves/CurveEditor.h"
#include "app/ui/curves/CurveFans.h"
#include "app/ui/design/SymbolImageProvider.h"

#include <QDir>
#include <QQmlApplicationEngine>
#include <QQmlComponent>
#include <QQuickItem>
#include <QStringList>

#include <cstdio>

namespace brisvane::screenshot {

namespace {

// The store always holds the built-in presets, so the empty state is shown on its own, on the
// window's background.
int curvesEmptyState(const QString& scheme, const QString& file)
{
    QQmlApplicationEngine engine;
    engine.addImportPath(QStringLiteral("qrc:/"));
    SymbolImageProvider::install(engine);
    QQmlComponent component(&engine);
    component.setData(QStringLiteral("import QtQuick\n"
                                     "import Brisvane.UI.Design\n"
                                     "import Brisvane.UI.Curves\n"
                                     "Window {\n"
                                     "    width: 780; height: 360; color: Theme.windowColor\n"
                                     "    Component.onCompleted: Theme.forcedColorScheme = \"%1\"\n"
                                     "    CurvesEmptyState { anchors.centerIn: parent }\n"
                                     "}\n")
                          .arg(scheme)
                          .toUtf8(),
                      QUrl(QStringLiteral("qrc:/curves-empty.qml")));
    std::unique_ptr<QObject> root(component.create());
    auto* window = qobject_cast<QQuickWindow*>(root.get());
    if (!window) {
        std::fprintf(stderr, "%s\n", qUtf8Printable(component.errorString()));
        return 1;
    }
    return save(*window, file);
}

// The fourth point (75 °C, 70 %) dragged up and left, or the pointer over an empty spot, in
// the plot the point's handle measures its positions in.
void movePointer(QQuickWindow& window, bool drags)
{
    QAccessibleInterface* handle =
        findAccessible(window, QAccessible::Button, CurveChart::pointAccessibleName(3), nullptr);
    auto* plot = handle ? handle->object()->property("plot").value<QQuickItem*>() : nullptr;
    if (!plot) {
        std::fprintf(stderr, "brisvane-screenshot: no curve plot on screen\n");
        return;
    }
    const auto at = [&](double tempC, double percent) {
        return plot->mapToScene(
            {(tempC - 20) / 90 * plot->width(), (1 - percent / 100) * plot->height()});
    };
    if (drags) {
        sendMouse(window, QEvent::MouseButtonPress, at(75, 70), Qt::LeftButton, Qt::LeftButton);
        for (int step = 1; step <= 6; ++step)
            sendMouse(window, QEvent::MouseMove, at(75 - step, 70 + step * 2), Qt::NoButton,
                      Qt::LeftButton);
    } else {
        sendMouse(window, QEvent::MouseMove, at(44, 58), Qt::NoButton, Qt::NoButton);
    }
}

// "All fans" chosen on fans with curves of their own, from the editor the preset selector
// (the button described as the preset picker) works on: the question before they are unified.
void chooseAllFans(QQuickWindow& window, const QString& presetName)
{
    QAccessibleInterface* selector =
        findAccessible(window, QAccessible::Button, presetName, "preset selector",
                       qtTrId("curves.toolbar.presetPickerLabel"));
    if (auto* editor =
            selector ? selector->object()->property("editor").value<CurveEditor*>() : nullptr)
        editor->chooseFan(CurveFans::kAllFans);
}

} // namespace

// builtin (Cool, read-only with its note), live (a user preset with the live overlay), drag,
// hover, per-fan (the left fan's curve over the right one's, following the GPU), unify or empty.
int curves(const QString& curvesState, const QString& scheme, const QString& file)
{
    if (curvesState == QLatin1StringView("empty"))
        return curvesEmptyState(scheme, file);
    if (!QStringList{"builtin", "live", "drag", "hover", "per-fan", "unify"}.contains(
            curvesState)) {
        std::fprintf(stderr, "brisvane-screenshot: no curves state %s\n",
                     qUtf8Printable(curvesState));
        return 2;
    }
    SceneApp scene(scheme, QStringLiteral("curves"));
    const QString presetDirectory = scene.presetDirectory();
    QDir().mkpath(presetDirectory);
    FanPreset quiet = userPreset(QStringLiteral("Quiet Desk"));
    quiet.curves = QList<FanCurve>(2, FanCurve({{35, 0}, {50, 12}, {62, 30}, {75, 70}, {88, 100}}));
    // Per fan: a quieter right fan, behind the left one's curve, and the GPU as the source.
    const bool perFan =
        curvesState == QLatin1StringView("per-fan") || curvesState == QLatin1StringView("unify");
    if (perFan) {
        quiet.curves[1] = FanCurve({{45, 0}, {60, 10}, {75, 40}, {95, 80}});
        quiet.setSource(FanPreset::Source::gpu);
    }
    writePresetFile(presetDirectory, {quiet});
    AppState& state =
        scene.compose(std::make_unique<AcceptingHelper>(HelperControlling::HelperState::installed));
    state.telemetry().ingest(pinnedSample({fan(0, 2412.6), fan(1, 2688)}));
    state.presets().setActivePresetID(
        curvesState == QLatin1StringView("builtin") ? FanPreset::coolID : quiet.id);
    if (!scene.build())
        return 1;
    QQuickWindow& window = scene.mainWindow();
    const bool drags = curvesState == QLatin1StringView("drag");
    if (drags || curvesState == QLatin1StringView("hover"))
        return save(window, file, 0, [&] { movePointer(window, drags); });
    if (curvesState == QLatin1StringView("unify"))
        return save(window, file, 0, [&] { chooseAllFans(window, quiet.name); });
    return save(window, file);
}

} // namespace brisvane::screenshot
