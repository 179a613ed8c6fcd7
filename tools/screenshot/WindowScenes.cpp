// The main window: as the real app state shows the virtual Mac, its header in each caption
// state, the dashboard over a synthetic half hour, and the settings in each helper state.

#include "tools/screenshot/SceneApp.h"
#include "tools/screenshot/SceneDriver.h"
#include "tools/screenshot/SceneFixtures.h"
#include "tools/screenshot/Scenes.h"

#include "app/core/HelperControlling.h"
#include "app/core/PreviewTelemetry.h"

#include "shared/HelperShared.h"

#include <QCoroTimer>
#include <QDir>
#include <QStringList>

#include <cstdio>

namespace brisvane::screenshot {

int mainWindow(const QString& scheme, const QString& file)
{
    SceneApp scene(scheme);
    AppState& state = scene.composeLive();
    if (!scene.build())
        return 1;
    if (!runUntil([&] { return state.telemetry().latest().has_value(); }, 15s)) {
        std::fprintf(stderr, "brisvane-screenshot: no readings from the virtual Mac\n");
        return 1;
    }
    return save(scene.mainWindow(), file);
}

// automatic, preset, boosting, starting, helper-missing, firmware-failure, nine-slots (six
// presets besides the built-ins: with the automatic slot, nine pills to fit) or reorder (a new
// slot order, mid-slide): the virtual Mac's readings with a daemon stand-in in that state.
int header(const QString& state, const QString& scheme, const QString& file, int width)
{
    SceneApp scene(scheme);
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
    if (state == QLatin1StringView("nine-slots")) {
        QList<FanPreset> presets;
        for (const char* name :
             {"Quiet Desk", "Late Night Render", "Gaming", "Video calls", "Compile farm", "Summer"})
            presets.append(userPreset(QString::fromUtf8(name)));
        writePresetFile(presetDirectory, presets);
    }
    AppState& appState = scene.compose(std::make_unique<AcceptingHelper>(helperState, status),
                                       SceneApp::Sampling::started);
    if (state == QLatin1StringView("preset"))
        appState.presets().setActivePresetID(FanPreset::coolID);
    if (!scene.build())
        return 1;
    if (state == QLatin1StringView("boosting")) {
        appState.engine().setQuickBoostPercent(60);
        if (!runUntil([&] { return appState.engine().isOverriding(); }, 15s)) {
            std::fprintf(stderr, "brisvane-screenshot: the boost was not taken\n");
            return 1;
        }
    }
    runUntil([&] { return appState.telemetry().latest().has_value(); }, 15s);
    if (state == QLatin1StringView("reorder")) {
        // Automatic moved behind the last slot, taken a third of the way into the slide.
        PresetStore& store = appState.presets();
        return save(
            scene.mainWindow(), file, width,
            [&] { store.moveSlot(store.slotOrder().first(), store.slotOrder().last()); }, 90ms);
    }
    return save(scene.mainWindow(), file, width);
}

// loading (no sample yet), two-fans, three-fans, parked-fan (the right fan stopped for the last
// five minutes), stalled-fan (the right fan not turning although asked to), one-sample,
// unsupported (a sample without fans) or helper-missing.
int dashboard(const QString& dashboardState, const QString& scheme, const QString& file)
{
    ManualClock alertsClock;
    SceneApp scene(scheme);
    const bool helperMissing = dashboardState == QLatin1StringView("helper-missing");
    AppState& state =
        scene.compose(std::make_unique<PreviewHelperClient>(
                          helperMissing ? HelperState::notInstalled : HelperState::installed),
                      SceneApp::Sampling::off, alertsClock);

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
    if (!scene.build())
        return 1;
    return save(scene.mainWindow(), file);
}

namespace {

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

} // namespace

// not-installed, installed, unreachable, outdated (a daemon of another version), failed (the
// daemon reports its error), unlocking, installing (the spinner) or install-error (a cancelled
// password dialog).
int settingsSection(const QString& sectionState, const QString& scheme, const QString& file)
{
    SceneApp scene(scheme, QStringLiteral("settings"));
    HelperState helperState = HelperState::installed;
    HelperStatus status;
    status.version = std::string(HelperConstants::helperVersion);
    std::optional<HelperStatus> lastStatus = status;
    const bool installs = QStringList{"installing", "install-error"}.contains(sectionState);
    if (installs || sectionState == QLatin1StringView("not-installed")) {
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
    AppState& state = scene.compose(std::make_unique<ScriptedInstallHelper>(
        helperState, lastStatus, sectionState == QLatin1StringView("install-error")));
    PreviewTelemetry::feed(state.telemetry(), {});
    if (!scene.build())
        return 1;
    if (installs) {
        // The section's install button, pressed as assistive technology presses it once the
        // section is on screen.
        const QString install = qtTrId("settings.helper.installButton");
        QAccessibleInterface* button = nullptr;
        runUntil(
            [&] {
                button = findAccessible(scene.mainWindow(), QAccessible::Button, install, nullptr);
                return button != nullptr;
            },
            15s);
        if (!press(button)) {
            std::fprintf(stderr, "brisvane-screenshot: the settings did not appear\n");
            return 1;
        }
    }
    return save(scene.mainWindow(), file);
}

} // namespace brisvane::screenshot
