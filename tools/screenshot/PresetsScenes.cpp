// The presets section, driven as a person would: the grid of a new install, or with three
// presets of the user's; a drag held over a card, a card's context menu, and the rename and
// delete dialogs it opens.

#include "tools/screenshot/SceneApp.h"
#include "tools/screenshot/SceneDriver.h"
#include "tools/screenshot/SceneFixtures.h"
#include "tools/screenshot/Scenes.h"

#include <QDir>
#include <QStringList>
#include <QUuid>

#include <cstdio>

namespace brisvane::screenshot {

namespace {

// Three presets of the user's, with curves of their own.
QList<FanPreset> threePresets()
{
    const struct {
        const char* name;
        QList<FanCurvePoint> points;
    } rows[] = {
        {"Quiet Desk", {{50, 0}, {70, 20}, {85, 55}, {100, 100}}},
        {"Late Night Render", {{40, 10}, {60, 45}, {80, 90}, {90, 100}}},
        {"Gaming", {{35, 20}, {55, 40}, {70, 70}, {80, 100}}},
    };
    QList<FanPreset> presets;
    for (const auto& row : rows) {
        FanPreset preset;
        preset.id = QUuid::createUuid();
        preset.name = QString::fromUtf8(row.name);
        preset.symbolName = QStringLiteral("fanblades");
        preset.curves = {FanCurve(row.points), FanCurve(row.points)};
        presets.append(preset);
    }
    return presets;
}

// The automatic card held, mid-drag, over the "Gaming" card.
bool dragOntoCard(QQuickWindow& window)
{
    QAccessibleInterface* from =
        findAccessible(window, QAccessible::Button, qtTrId("shared.mode.automatic"), "card");
    QAccessibleInterface* onto =
        findAccessible(window, QAccessible::Button, QStringLiteral("Gaming"), "card");
    if (!from || !onto)
        return false;
    const QPointF start = centreOf(window, from);
    const QPointF end = centreOf(window, onto) + QPointF(-30, 10);
    sendMouse(window, QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
    for (int step = 1; step <= 20; ++step)
        sendMouse(window, QEvent::MouseMove, start + (end - start) * step / 20, Qt::NoButton,
                  Qt::LeftButton);
    return true;
}

// The context menu of the "Late Night Render" card, and the entry named `entryKey` chosen from
// it unless that is empty.
bool openCardMenu(QQuickWindow& window, const char* entryKey)
{
    QAccessibleInterface* target =
        findAccessible(window, QAccessible::Button, QStringLiteral("Late Night Render"), "card");
    if (!target)
        return false;
    const QPointF position = centreOf(window, target);
    sendMouse(window, QEvent::MouseButtonPress, position, Qt::RightButton, Qt::RightButton);
    sendMouse(window, QEvent::MouseButtonRelease, position, Qt::RightButton, Qt::NoButton);
    settle(300ms);
    if (!entryKey)
        return true;
    QAccessibleInterface* entry =
        findAccessible(window, QAccessible::MenuItem, qtTrId(entryKey), "menu item");
    if (!press(entry)) {
        if (entry)
            std::fprintf(stderr, "brisvane-screenshot: no menu item %s\n",
                         qUtf8Printable(qtTrId(entryKey)));
        return false;
    }
    return true;
}

} // namespace

// fresh, three-presets, drag, menu, rename or delete.
int presetsSection(const QString& state, const QString& scheme, const QString& file)
{
    if (!QStringList{"fresh", "three-presets", "drag", "menu", "rename", "delete"}.contains(
            state)) {
        std::fprintf(stderr, "brisvane-screenshot: no presets state %s\n", qUtf8Printable(state));
        return 2;
    }
    SceneApp scene(scheme, QStringLiteral("presets"));
    const QString presetDirectory = scene.presetDirectory();
    QDir().mkpath(presetDirectory);
    const bool fresh = state == QLatin1StringView("fresh");
    if (!fresh)
        writePresetFile(presetDirectory, threePresets());
    AppState& appState = scene.compose(std::make_unique<AcceptingHelper>(HelperState::installed),
                                       SceneApp::Sampling::started);
    if (!fresh)
        appState.presets().setActivePresetID(appState.presets().presets()[2].id);
    if (!scene.build())
        return 1;
    QQuickWindow& window = scene.mainWindow();
    window.show();
    runUntil([&] { return appState.telemetry().latest().has_value(); }, 15s);
    settle(500ms);

    bool driven = true;
    if (state == QLatin1StringView("drag"))
        driven = dragOntoCard(window);
    else if (state == QLatin1StringView("menu"))
        driven = openCardMenu(window, nullptr);
    else if (state == QLatin1StringView("rename"))
        driven = openCardMenu(window, "presets.contextMenu.rename");
    else if (state == QLatin1StringView("delete"))
        driven = openCardMenu(window, "presets.contextMenu.delete");
    return driven ? save(window, file) : 1;
}

} // namespace brisvane::screenshot
