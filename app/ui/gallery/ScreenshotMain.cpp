// brisvane-screenshot: renders one screen to a PNG file, for scripts/screenshots.sh.
//   brisvane-screenshot gallery|main-window|menubar-STATE|tray-label[:square|wide] light|dark FILE
//   brisvane-screenshot header:STATE light|dark FILE [WIDTH]
//   brisvane-screenshot dashboard:STATE light|dark FILE
//   brisvane-screenshot presets:STATE light|dark FILE
//   brisvane-screenshot curves:STATE light|dark FILE
//   brisvane-screenshot settings:STATE light|dark FILE
// The header's STATE is automatic, preset, boosting, starting, helper-missing, firmware-failure,
// nine-slots or reorder (a new slot order, mid-slide): the virtual Mac's readings with a daemon
// stand-in in that state.
// The presets section's STATE is fresh, three-presets, drag, menu, rename or delete: the
// grid of a new install, or with three presets of the user's, driven as a person would (a drag
// held over a card, a card's context menu, the dialogs).
// The menu-bar panel's states (waiting, two-fans, parked-fan, stalled-fan, unlocking, failed,
// helper-missing, boost-35, boost-88, rounded: with the corners and shadow of a compositing
// desktop) are built from pinned readings and a helper stand-in, so each shows exactly one state;
// tray-label is the label image on a light or dark tray strip, in the form a wide bar shows or, as
// tray-label:square, in a Linux tray's square icon.
// The main window runs the real app state against the system root in BRISVANE_SYSTEM_ROOT (a
// virtual Mac) and is taken once its first readings have settled. The scale comes from
// QT_SCALE_FACTOR; the offscreen platform needs no display.

#include "app/ui/BrisvaneApp.h"
#include "app/ui/curves/CurveEditor.h"
#include "app/ui/curves/CurveFans.h"
#include "app/ui/design/SymbolImageProvider.h"
#include "app/ui/design/WindowDefaults.h"

#include "app/ui/menubar/MenuBarLabel.h"
#include "app/ui/menubar/PanelChrome.h"
#include "app/ui/settings/HelperSettingsModel.h"

#include "app/core/AppDelegate.h"
#include "app/core/AppState.h"
#include "app/core/PresetFile.h"
#include "app/core/PreviewHelperClient.h"
#include "app/core/PreviewTelemetry.h"
#include "app/core/Translations.h"
#include "app/core/UserDefaults.h"

#include <QAccessible>
#include <QApplication>
#include <QCoroTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QPainter>
#include <QPointingDevice>
#include <QQmlApplicationEngine>
#include <QQmlComponent>
#include <QQmlExtensionPlugin>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSettings>
#include <QTemporaryDir>

#include <cstdio>

Q_IMPORT_QML_PLUGIN(Brisvane_UI_GalleryPlugin)

namespace brisvane {
namespace {

// The settings of one picture, in a folder of their own: the appearance, and the section the
// window opens with if one is given, as launch arguments over the app's registered defaults.
struct SceneSettings {
    explicit SceneSettings(const QString& scheme, const QString& initialSection = {})
        : defaults(arguments(scheme, initialSection),
                   std::make_unique<QSettings>(folder.filePath(QStringLiteral("s.ini")),
                                               QSettings::IniFormat))
    {
        WindowDefaults::registerDefaults(defaults);
    }

    static QStringList arguments(const QString& scheme, const QString& initialSection)
    {
        QStringList list{QStringLiteral("Brisvane"), QStringLiteral("-ForceColorScheme"), scheme};
        if (!initialSection.isEmpty())
            list << QStringLiteral("-InitialSection") << initialSection;
        return list;
    }

    QString presetDirectory() const { return folder.filePath(QStringLiteral("presets")); }

    QTemporaryDir folder;
    UserDefaults defaults;
};

using namespace std::chrono_literals;

// Keeps the event loop running until `done` or `limit` has passed.
bool runUntil(const std::function<bool()>& done, std::chrono::milliseconds limit)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > limit.count())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// Lets animations settle (the gauges take 1.8 s), then saves the window; `prepare` runs on the
// settled window first, and its effects settle too.
int save(QQuickWindow& window, const QString& file, int width = 0,
         const std::function<void()>& prepare = {},
         std::chrono::milliseconds afterPrepare = std::chrono::milliseconds(1000))
{
    if (width > 0)
        window.setWidth(width);
    window.show();
    runUntil([] { return false; }, 2500ms);
    if (prepare) {
        prepare();
        runUntil([] { return false; }, afterPrepare);
    }
    const QImage image = window.grabWindow();
    if (image.isNull() || !image.save(file)) {
        std::fprintf(stderr, "brisvane-screenshot: could not write %s\n", qUtf8Printable(file));
        return 1;
    }
    std::printf("%s\n", qUtf8Printable(file));
    return 0;
}

int gallery(const QString& scheme, const QString& file)
{
    QQmlApplicationEngine engine;
    engine.addImportPath(QStringLiteral("qrc:/"));
    SymbolImageProvider::install(engine);
    engine.setInitialProperties({{QStringLiteral("forcedColorScheme"), scheme}});
    engine.load(QUrl(QStringLiteral("qrc:/Brisvane/UI/Gallery/Gallery.qml")));
    auto* window = engine.rootObjects().isEmpty()
                       ? nullptr
                       : qobject_cast<QQuickWindow*>(engine.rootObjects().first());
    return window ? save(*window, file) : 1;
}

int mainWindow(const QString& scheme, const QString& file)
{
    // The user's own settings stay untouched.
    SceneSettings scene(scheme);
    UserDefaults& defaults = scene.defaults;
    AppState state(defaults);
    AppDelegate delegate;
    BrisvaneApp scenes(state, delegate, defaults);
    if (!scenes.buildScenes())
        return 1;
    if (!runUntil([&] { return state.telemetry().latest().has_value(); }, 15s)) {
        std::fprintf(stderr, "brisvane-screenshot: no readings from the virtual Mac\n");
        return 1;
    }
    return save(*scenes.mainWindow(), file);
}

// A daemon stand-in that takes every target it is sent, so that a boost is in force.
class AcceptingHelper : public PreviewHelperClient {
public:
    using PreviewHelperClient::PreviewHelperClient;
    QCoro::Task<std::optional<QList<double>>> setTargets(QList<double> targets) override
    {
        co_return targets;
    }
};

// Six presets besides the built-ins: with the automatic slot, nine pills to fit.
void writeNinePresetFile(const QString& directory)
{
    QList<FanPreset> presets;
    const QStringList names{QStringLiteral("Quiet Desk"),   QStringLiteral("Late Night Render"),
                            QStringLiteral("Gaming"),       QStringLiteral("Video calls"),
                            QStringLiteral("Compile farm"), QStringLiteral("Summer")};
    for (const QString& name : names) {
        FanPreset preset = FanPreset::builtIns(2).first();
        preset.id = QUuid::createUuid();
        preset.name = name;
        preset.symbolName = QStringLiteral("fanblades");
        preset.isBuiltIn = false;
        presets.append(preset);
    }
    PresetFile::writeAtomically(directory + u'/' + QLatin1StringView(PresetStore::kFileName),
                                PresetFile::encode(presets), nullptr);
}

// The main window with its header in one of the caption states.
int header(const QString& state, const QString& scheme, const QString& file, int width)
{
    SceneSettings scene(scheme);
    UserDefaults& defaults = scene.defaults;

    using HelperState = HelperControlling::HelperState;
    HelperState helperState = HelperState::installed;
    std::optional<HelperStatus> status;
    if (state == QLatin1StringView("helper-missing")) {
        helperState = HelperState::notInstalled;
    } else if (state == QLatin1StringView("starting")) {
        status = HelperStatus();
        status->phase = HelperControlPhase::unlocking;
    } else if (state == QLatin1StringView("firmware-failure")) {
        status = HelperStatus();
        status->phase = HelperControlPhase::failed;
    } else if (!QStringList{"automatic", "preset", "boosting", "nine-slots", "reorder"}.contains(
                   state)) {
        std::fprintf(stderr, "brisvane-screenshot: no header state %s\n", qUtf8Printable(state));
        return 2;
    }
    const QString presetDirectory = scene.presetDirectory();
    QDir().mkpath(presetDirectory);
    if (state == QLatin1StringView("nine-slots"))
        writeNinePresetFile(presetDirectory);
    auto telemetry = std::make_unique<TelemetryStore>(defaults);
    auto helper = std::make_unique<AcceptingHelper>(helperState, status);
    auto presets = std::make_unique<PresetStore>(2, presetDirectory, defaults);
    auto engine = std::make_unique<ControlEngine>(*telemetry, *presets, *helper);
    telemetry->start(TelemetryStore::kSampleIntervalSeconds);
    auto appState = std::make_unique<AppState>(std::move(telemetry), std::move(helper),
                                               std::move(presets), std::move(engine));
    if (state == QLatin1StringView("preset"))
        appState->presets().setActivePresetID(FanPreset::coolID);
    AppDelegate delegate;
    BrisvaneApp scenes(*appState, delegate, defaults);
    if (!scenes.buildScenes())
        return 1;
    if (state == QLatin1StringView("boosting")) {
        appState->engine().setQuickBoostPercent(60);
        if (!runUntil([&] { return appState->engine().isOverriding(); }, 15s)) {
            std::fprintf(stderr, "brisvane-screenshot: the boost was not taken\n");
            return 1;
        }
    }
    runUntil([&] { return appState->telemetry().latest().has_value(); }, 15s);
    if (state == QLatin1StringView("reorder")) {
        // Automatic moved behind the last slot, taken a third of the way into the slide.
        PresetStore& store = appState->presets();
        return save(
            *scenes.mainWindow(), file, width,
            [&] { store.moveSlot(store.slotOrder().first(), store.slotOrder().last()); }, 90ms);
    }
    return save(*scenes.mainWindow(), file, width);
}

// Three presets of the user's, with curves of their own.
void writeThreePresetFile(const QString& directory)
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
    PresetFile::writeAtomically(directory + u'/' + QLatin1StringView(PresetStore::kFileName),
                                PresetFile::encode(presets), nullptr);
}

// The largest object under `root` with this role and name, as assistive technology finds it:
// a card rather than the header's pill of the same name.
QAccessibleInterface* findAccessible(QAccessibleInterface* root, QAccessible::Role role,
                                     const QString& name)
{
    QAccessibleInterface* largest = nullptr;
    const auto area = [](QAccessibleInterface* object) {
        return object ? object->rect().width() * object->rect().height() : -1;
    };
    for (int i = 0; root && i < root->childCount(); ++i) {
        QAccessibleInterface* child = root->child(i);
        if (child && child->role() == role && child->text(QAccessible::Name) == name &&
            area(child) > area(largest))
            largest = child;
        if (QAccessibleInterface* found = findAccessible(child, role, name);
            area(found) > area(largest))
            largest = found;
    }
    return largest;
}

QPointF centreOf(QQuickWindow& window, QAccessibleInterface* object)
{
    return window.mapFromGlobal(object->rect().center());
}

void sendMouse(QQuickWindow& window, QEvent::Type type, QPointF position, Qt::MouseButton button,
               Qt::MouseButtons buttons)
{
    QMouseEvent event(type, position, position, window.mapToGlobal(position), button, buttons,
                      Qt::NoModifier, QPointingDevice::primaryPointingDevice());
    QCoreApplication::sendEvent(&window, &event);
    QCoreApplication::processEvents();
}

// The presets section in one state (see the top of this file).
int presetsScreen(const QString& state, const QString& scheme, const QString& file)
{
    if (!QStringList{"fresh", "three-presets", "drag", "menu", "rename", "delete"}.contains(
            state)) {
        std::fprintf(stderr, "brisvane-screenshot: no presets state %s\n", qUtf8Printable(state));
        return 2;
    }
    SceneSettings scene(scheme, QStringLiteral("presets"));
    UserDefaults& defaults = scene.defaults;
    const QString presetDirectory = scene.presetDirectory();
    QDir().mkpath(presetDirectory);
    if (state != QLatin1StringView("fresh"))
        writeThreePresetFile(presetDirectory);
    auto telemetry = std::make_unique<TelemetryStore>(defaults);
    auto helper = std::make_unique<AcceptingHelper>(HelperState::installed);
    auto presets = std::make_unique<PresetStore>(2, presetDirectory, defaults);
    auto engine = std::make_unique<ControlEngine>(*telemetry, *presets, *helper);
    telemetry->start(TelemetryStore::kSampleIntervalSeconds);
    AppState appState(std::move(telemetry), std::move(helper), std::move(presets),
                      std::move(engine));
    if (state != QLatin1StringView("fresh"))
        appState.presets().setActivePresetID(appState.presets().presets()[2].id);
    AppDelegate delegate;
    BrisvaneApp scenes(appState, delegate, defaults);
    if (!scenes.buildScenes())
        return 1;
    QQuickWindow& window = *scenes.mainWindow();
    window.show();
    runUntil([&] { return appState.telemetry().latest().has_value(); }, 15s);
    runUntil([] { return false; }, 500ms);

    QAccessibleInterface* root = QAccessible::queryAccessibleInterface(&window);
    const auto card = [&](const QString& name) {
        QAccessibleInterface* found = findAccessible(root, QAccessible::Button, name);
        if (!found)
            std::fprintf(stderr, "brisvane-screenshot: no card %s\n", qUtf8Printable(name));
        return found;
    };
    if (state == QLatin1StringView("drag")) {
        QAccessibleInterface* from = card(qtTrId("shared.mode.automatic"));
        QAccessibleInterface* onto = card(QStringLiteral("Gaming"));
        if (!from || !onto)
            return 1;
        const QPointF start = centreOf(window, from);
        const QPointF end = centreOf(window, onto) + QPointF(-30, 10);
        sendMouse(window, QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
        for (int step = 1; step <= 20; ++step)
            sendMouse(window, QEvent::MouseMove, start + (end - start) * step / 20, Qt::NoButton,
                      Qt::LeftButton);
    } else if (state != QLatin1StringView("fresh") && state != QLatin1StringView("three-presets")) {
        QAccessibleInterface* target = card(QStringLiteral("Late Night Render"));
        if (!target)
            return 1;
        const QPointF position = centreOf(window, target);
        sendMouse(window, QEvent::MouseButtonPress, position, Qt::RightButton, Qt::RightButton);
        sendMouse(window, QEvent::MouseButtonRelease, position, Qt::RightButton, Qt::NoButton);
        runUntil([] { return false; }, 300ms);
        if (state != QLatin1StringView("menu")) {
            const QString itemName = state == QLatin1StringView("rename")
                                         ? qtTrId("presets.contextMenu.rename")
                                         : qtTrId("presets.contextMenu.delete");
            QAccessibleInterface* item = findAccessible(root, QAccessible::MenuItem, itemName);
            if (!item || !item->actionInterface()) {
                std::fprintf(stderr, "brisvane-screenshot: no menu item %s\n",
                             qUtf8Printable(itemName));
                return 1;
            }
            item->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        }
    }
    return save(window, file);
}

SMCFanReading fan(int index, double rpm)
{
    SMCFanReading reading;
    reading.index = index;
    reading.actualRPM = rpm;
    reading.targetRPM = rpm;
    reading.minRPM = 1200;
    reading.maxRPM = 5800;
    return reading;
}

TelemetrySample pinnedSample(std::vector<SMCFanReading> fans)
{
    TelemetrySample sample;
    sample.timestamp = QDateTime::currentDateTime();
    sample.temperatures = {52, 61.5, 44, 47.2, 61.5};
    sample.fans = std::move(fans);
    return sample;
}

// The right fan asked for 2,688 RPM and not turning for longer than the alert waits, with the
// alerts' clock moved on instead of the picture waiting.
void stallRightFan(TelemetryStore& telemetry, ManualClock& alertsClock)
{
    SMCFanReading stalled = fan(1, 0);
    stalled.targetRPM = 2688;
    for (int i = 0; i < 2; ++i) {
        telemetry.ingest(pinnedSample({fan(0, 2412.6), stalled}));
        alertsClock.advanceSeconds(FanHealth::kStallSeconds + 1);
    }
    telemetry.ingest(pinnedSample({fan(0, 2412.6), stalled}));
}

int menuBarPanel(const QString& panelState, const QString& scheme, const QString& file)
{
    SceneSettings scene(scheme);
    UserDefaults& defaults = scene.defaults;
    auto telemetry = std::make_unique<TelemetryStore>(defaults);
    auto helper = std::make_unique<PreviewHelperClient>(HelperState::installed);
    PreviewHelperClient& preview = *helper;
    auto presets = std::make_unique<PresetStore>(2, scene.presetDirectory(), defaults);
    auto engine = std::make_unique<ControlEngine>(*telemetry, *presets, *helper);
    ManualClock alertsClock;
    AppState state(std::move(telemetry), std::move(helper), std::move(presets), std::move(engine),
                   nullptr, alertsClock);

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
    // As a compositing desktop shows it: the offscreen platform composites nothing.
    const bool rounded = panelState == QLatin1StringView("rounded");

    AppDelegate delegate;
    BrisvaneApp scenes(state, delegate, defaults);
    if (!scenes.buildScenes(false))
        return 1;
    // A panel follows the state only while it is open, as the app opens it.
    scenes.menuBarPanel()->setProperty("live", true);
    if (rounded)
        scenes.menuBarPanel()->setProperty("shape", static_cast<int>(PanelChrome::Shape::Rounded));
    return save(*scenes.menuBarPanel(), file);
}

// The main window's dashboard over a synthetic half hour: loading (no sample yet), two-fans,
// three-fans, parked-fan (the right fan stopped for the last five minutes), stalled-fan (the
// right fan not turning although asked to), one-sample, unsupported (a sample without fans) or
// helper-missing.
int dashboard(const QString& dashboardState, const QString& scheme, const QString& file)
{
    SceneSettings scene(scheme);
    UserDefaults& defaults = scene.defaults;
    const bool helperMissing = dashboardState == QLatin1StringView("helper-missing");
    auto telemetry = std::make_unique<TelemetryStore>(defaults);
    auto helper = std::make_unique<PreviewHelperClient>(helperMissing ? HelperState::notInstalled
                                                                      : HelperState::installed);
    auto presets = std::make_unique<PresetStore>(2, scene.presetDirectory(), defaults);
    auto engine = std::make_unique<ControlEngine>(*telemetry, *presets, *helper);
    ManualClock alertsClock;
    AppState state(std::move(telemetry), std::move(helper), std::move(presets), std::move(engine),
                   nullptr, alertsClock);

    PreviewTelemetry::Options history;
    const bool stalled = dashboardState == QLatin1StringView("stalled-fan");
    if (dashboardState == QLatin1StringView("three-fans")) {
        history.fanCount = 3;
    } else if (dashboardState == QLatin1StringView("parked-fan") || stalled) {
        history.lastFanParks = true;
    } else if (dashboardState == QLatin1StringView("one-sample")) {
        history.sampleCount = 1;
    } else if (dashboardState == QLatin1StringView("unsupported")) {
        history.fanCount = 0;
        history.sampleCount = 1;
    } else if (dashboardState == QLatin1StringView("loading")) {
        history.sampleCount = 0;
    } else if (!QStringList{"two-fans", "helper-missing"}.contains(dashboardState)) {
        std::fprintf(stderr, "brisvane-screenshot: no dashboard state %s\n",
                     qUtf8Printable(dashboardState));
        return 2;
    }
    PreviewTelemetry::feed(state.telemetry(), history);
    if (stalled)
        stallRightFan(state.telemetry(), alertsClock);

    AppDelegate delegate;
    BrisvaneApp scenes(state, delegate, defaults);
    if (!scenes.buildScenes())
        return 1;
    return save(*scenes.mainWindow(), file);
}

// A pointer event at `at` (window coordinates), as the platform would deliver it.
void sendMouse(QQuickWindow& window, QEvent::Type type, QPointF at, Qt::MouseButtons buttons)
{
    const Qt::MouseButton button =
        type == QEvent::MouseMove ? Qt::NoButton : Qt::MouseButton(int(Qt::LeftButton));
    QMouseEvent event(type, at, window.mapToGlobal(at), button, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &event);
    QCoreApplication::processEvents();
}

// The item named `name` in the visual tree under `item`.
QQuickItem* findItem(QQuickItem* item, const QString& name)
{
    if (item->objectName() == name)
        return item;
    for (QQuickItem* child : item->childItems()) {
        if (QQuickItem* found = findItem(child, name))
            return found;
    }
    return nullptr;
}

// The empty state of the curves section: the store always holds the built-in presets, so it is
// shown on its own, on the window's background.
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

// The curves section: builtin (Cool, read-only with its note), live (a user preset with the
// live overlay), drag (a point held mid-drag with its callout), hover (the ghost add handle and
// the readout), per-fan (the left fan's curve over the right one's, following the GPU), unify
// (the question "All fans" asks on that preset) or empty.
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
    SceneSettings scene(scheme, QStringLiteral("curves"));
    UserDefaults& defaults = scene.defaults;
    const QString presetDirectory = scene.presetDirectory();
    QDir().mkpath(presetDirectory);
    FanPreset quiet = FanPreset::builtIns(2).first();
    quiet.id = QUuid::createUuid();
    quiet.name = QStringLiteral("Quiet Desk");
    quiet.symbolName = QStringLiteral("fanblades");
    quiet.isBuiltIn = false;
    quiet.curves = QList<FanCurve>(2, FanCurve({{35, 0}, {50, 12}, {62, 30}, {75, 70}, {88, 100}}));
    // Per fan: a quieter right fan, behind the left one's curve, and the GPU as the source.
    if (curvesState == QLatin1StringView("per-fan") || curvesState == QLatin1StringView("unify")) {
        quiet.curves[1] = FanCurve({{45, 0}, {60, 10}, {75, 40}, {95, 80}});
        quiet.setSource(FanPreset::Source::gpu);
    }
    PresetFile::writeAtomically(presetDirectory + u'/' + QLatin1StringView(PresetStore::kFileName),
                                PresetFile::encode({quiet}), nullptr);
    auto telemetry = std::make_unique<TelemetryStore>(defaults);
    auto helper = std::make_unique<AcceptingHelper>(HelperControlling::HelperState::installed);
    auto presets = std::make_unique<PresetStore>(2, presetDirectory, defaults);
    auto engine = std::make_unique<ControlEngine>(*telemetry, *presets, *helper);
    AppState state(std::move(telemetry), std::move(helper), std::move(presets), std::move(engine));
    state.telemetry().ingest(pinnedSample({fan(0, 2412.6), fan(1, 2688)}));
    state.presets().setActivePresetID(
        curvesState == QLatin1StringView("builtin") ? FanPreset::coolID : quiet.id);
    AppDelegate delegate;
    BrisvaneApp scenes(state, delegate, defaults);
    if (!scenes.buildScenes())
        return 1;
    QQuickWindow& window = *scenes.mainWindow();
    const auto pointer = [&] {
        // The fourth point (75 °C, 70 %), dragged up and left; or the pointer over an empty spot.
        QQuickItem* plot = findItem(window.contentItem(), QStringLiteral("curvePlot"));
        if (!plot) {
            std::fprintf(stderr, "brisvane-screenshot: no curve plot on screen\n");
            return;
        }
        const auto at = [&](double tempC, double percent) {
            return plot->mapToScene(
                {(tempC - 20) / 90 * plot->width(), (1 - percent / 100) * plot->height()});
        };
        if (curvesState == QLatin1StringView("drag")) {
            sendMouse(window, QEvent::MouseButtonPress, at(75, 70), Qt::LeftButton);
            for (int step = 1; step <= 6; ++step)
                sendMouse(window, QEvent::MouseMove, at(75 - step, 70 + step * 2), Qt::LeftButton);
        } else {
            sendMouse(window, QEvent::MouseMove, at(44, 58), Qt::NoButton);
        }
    };
    if (curvesState == QLatin1StringView("drag") || curvesState == QLatin1StringView("hover"))
        return save(window, file, 0, pointer);
    if (curvesState == QLatin1StringView("unify")) {
        // "All fans" on fans with curves of their own: the question before they are unified.
        return save(window, file, 0, [&] {
            // The section's items belong to the window's item tree, not its object tree.
            QList<QQuickItem*> items{window.contentItem()};
            while (!items.isEmpty()) {
                QQuickItem* item = items.takeLast();
                for (CurveEditor* editor :
                     item->findChildren<CurveEditor*>(Qt::FindDirectChildrenOnly))
                    editor->chooseFan(CurveFans::kAllFans);
                items.append(item->childItems());
            }
        });
    }
    return save(window, file);
}

// A helper whose install never ends (an install in progress) or is cancelled at the password
// dialog (an install error).
class ScriptedInstallHelper : public PreviewHelperClient {
public:
    ScriptedInstallHelper(HelperState state, std::optional<HelperStatus> status, bool cancels)
        : PreviewHelperClient(state, std::move(status))
        , m_cancels(cancels)
    {}
    QCoro::Task<void> install() override
    {
        if (m_cancels)
            throw HelperInstallError::adminScriptFailed(
                QStringLiteral("execution error: User canceled. (-128)"));
        auto never = QCoro::sleepFor(std::chrono::hours(1));
        co_await never;
    }

private:
    bool m_cancels;
};

// The settings section: not-installed, installed, unreachable, outdated (a daemon of another
// version), failed (the daemon reports its error), unlocking, installing (the spinner) or
// install-error (a cancelled password dialog).
int settingsSection(const QString& sectionState, const QString& scheme, const QString& file)
{
    SceneSettings scene(scheme, QStringLiteral("settings"));
    UserDefaults& defaults = scene.defaults;
    HelperState helperState = HelperState::installed;
    HelperStatus status;
    status.version = std::string(HelperConstants::helperVersion);
    std::optional<HelperStatus> lastStatus = status;
    if (QStringList{"not-installed", "installing", "install-error"}.contains(sectionState)) {
        helperState = HelperState::notInstalled;
        lastStatus.reset();
    } else if (sectionState == QLatin1StringView("unreachable")) {
        helperState = HelperState::unreachable;
    } else if (sectionState == QLatin1StringView("outdated")) {
        lastStatus->version = "1.0.1";
    } else if (sectionState == QLatin1StringView("failed")) {
        lastStatus->phase = HelperControlPhase::failed;
        lastStatus->lastError = "The SMC refused manual mode for fan 0 (F0Md).";
    } else if (sectionState == QLatin1StringView("unlocking")) {
        lastStatus->phase = HelperControlPhase::unlocking;
    } else if (sectionState != QLatin1StringView("installed")) {
        std::fprintf(stderr, "brisvane-screenshot: no settings state %s\n",
                     qUtf8Printable(sectionState));
        return 2;
    }
    auto telemetry = std::make_unique<TelemetryStore>(defaults);
    auto helper = std::make_unique<ScriptedInstallHelper>(
        helperState, lastStatus, sectionState == QLatin1StringView("install-error"));
    auto presets = std::make_unique<PresetStore>(2, scene.presetDirectory(), defaults);
    auto engine = std::make_unique<ControlEngine>(*telemetry, *presets, *helper);
    AppState state(std::move(telemetry), std::move(helper), std::move(presets), std::move(engine));
    PreviewTelemetry::feed(state.telemetry(), {});

    AppDelegate delegate;
    BrisvaneApp scenes(state, delegate, defaults);
    if (!scenes.buildScenes())
        return 1;
    if (QStringList{"installing", "install-error"}.contains(sectionState)) {
        // The section is made by a repeater: look for its model along the items.
        const std::function<HelperSettingsModel*(QQuickItem*)> findModel = [&](QQuickItem* item) {
            if (auto* found =
                    item->findChild<HelperSettingsModel*>(QString(), Qt::FindDirectChildrenOnly))
                return found;
            for (QQuickItem* child : item->childItems())
                if (auto* found = findModel(child))
                    return found;
            return static_cast<HelperSettingsModel*>(nullptr);
        };
        HelperSettingsModel* model = nullptr;
        runUntil(
            [&] {
                model = findModel(scenes.mainWindow()->contentItem());
                return model != nullptr;
            },
            15s);
        if (!model) {
            std::fprintf(stderr, "brisvane-screenshot: the settings did not appear\n");
            return 1;
        }
        model->runHelperOperation(HelperSettingsModel::Action::Install);
    }
    return save(*scenes.mainWindow(), file);
}

// The label as the tray shows it, on a strip of the tray's colour: both lines where the bar gives
// width ("wide"), the temperature alone in a Linux tray's 22-pixel square icon ("square").
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
    if (!strip.save(file)) {
        std::fprintf(stderr, "brisvane-screenshot: could not write %s\n", qUtf8Printable(file));
        return 1;
    }
    std::printf("%s\n", qUtf8Printable(file));
    return 0;
}

} // namespace
} // namespace brisvane

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Brisvane"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("brisvane.org"));
    const QLocale system = QLocale::system();
    brisvane::Translations::install(
        app, brisvane::Translations::chooseLocale(system.uiLanguages(), system));
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 4 && arguments.size() != 5) {
        std::fputs(
            "usage: brisvane-screenshot gallery|main-window|menubar-STATE|tray-label[:square] "
            "light|dark FILE\n"
            "       brisvane-screenshot header:STATE light|dark FILE [WIDTH]\n"
            "       brisvane-screenshot dashboard|curves|presets|settings:STATE light|dark FILE\n",
            stderr);
        return 2;
    }
    const QString& screen = arguments[1];
    if (screen.startsWith(QLatin1StringView("header:")))
        return brisvane::header(screen.mid(7), arguments[2], arguments[3],
                                arguments.size() == 5 ? arguments[4].toInt() : 0);
    if (screen.startsWith(QLatin1StringView("presets:")))
        return brisvane::presetsScreen(screen.mid(8), arguments[2], arguments[3]);
    if (screen.startsWith(QLatin1StringView("curves:")))
        return brisvane::curves(screen.mid(7), arguments[2], arguments[3]);
    if (screen.startsWith(QLatin1StringView("settings:")))
        return brisvane::settingsSection(screen.mid(9), arguments[2], arguments[3]);
    if (screen.startsWith(QLatin1StringView("dashboard:")))
        return brisvane::dashboard(screen.mid(10), arguments[2], arguments[3]);
    if (screen == QLatin1StringView("gallery"))
        return brisvane::gallery(arguments[2], arguments[3]);
    if (screen == QLatin1StringView("main-window"))
        return brisvane::mainWindow(arguments[2], arguments[3]);
    if (screen.startsWith(QLatin1StringView("menubar-")))
        return brisvane::menuBarPanel(screen.mid(8), arguments[2], arguments[3]);
    if (screen == QLatin1StringView("tray-label"))
        return brisvane::trayLabel(QStringLiteral("wide"), arguments[2], arguments[3]);
    if (screen.startsWith(QLatin1StringView("tray-label:")))
        return brisvane::trayLabel(screen.mid(11), arguments[2], arguments[3]);
    std::fprintf(stderr, "brisvane-screenshot: no screen %s\n", qUtf8Printable(screen));
    return 2;
}
