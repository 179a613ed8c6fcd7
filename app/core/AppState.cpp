#include "app/core/AppState.h"

#include "app/core/DesktopNotifier.h"
#include "app/core/HelperClient.h"
#include "app/core/UserDefaults.h"

#include <QElapsedTimer>

namespace brisvane {

AppState::AppState(UserDefaults& defaults, QObject* parent)
    : QObject(parent)
{
    m_telemetry = std::make_unique<TelemetryStore>(defaults);
    auto helper = std::make_unique<HelperClient>();
    helper->refreshInstallState();
    m_helper = std::move(helper);
    m_presets = std::make_unique<PresetStore>(2, std::nullopt, defaults);
    m_engine = std::make_unique<ControlEngine>(*m_telemetry, *m_presets, *m_helper);
    m_notifier = std::make_unique<FreedesktopNotifier>();
    m_alerts = std::make_unique<Alerts>(*m_telemetry, *m_engine, defaults, m_notifier.get());
    // The engine's handler is registered by now, so it sees the first sample.
    m_telemetry->start(TelemetryStore::kSampleIntervalSeconds);
    applyLaunchPresetChoice(defaults, *m_presets, *m_engine);
}

AppState::AppState(std::unique_ptr<TelemetryStore> telemetry,
                   std::unique_ptr<HelperControlling> helper, std::unique_ptr<PresetStore> presets,
                   std::unique_ptr<ControlEngine> engine, QObject* parent, const Clock& alertsClock)
    : QObject(parent)
    , m_telemetry(std::move(telemetry))
    , m_helper(std::move(helper))
    , m_presets(std::move(presets))
    , m_engine(std::move(engine))
{
    Q_ASSERT(m_telemetry && m_helper && m_presets && m_engine);
    m_alerts = std::make_unique<Alerts>(*m_telemetry, *m_engine, m_telemetry->defaults(), nullptr,
                                        alertsClock);
}

AppState::~AppState() = default;

void AppState::setOpenMainWindow(std::optional<Action> action)
{
    if (!action && !m_openMainWindow)
        return;
    m_openMainWindow = std::move(action);
    emit openMainWindowChanged();
}

bool AppState::requestOpenMainWindow()
{
    if (!m_openMainWindow)
        return false;
    // A copy: the action may replace itself while it runs.
    const Action action = *m_openMainWindow;
    action();
    return true;
}

void AppState::applyLaunchPresetChoice(const UserDefaults& defaults, PresetStore& presets,
                                       ControlEngine& engine)
{
    const std::optional<QString> choice =
        defaults.stringValue(QLatin1StringView(kActivatePresetKey));
    if (!choice)
        return;
    if (*choice == QLatin1StringView(kAutomaticPresetChoice)) {
        presets.activateForSessionOnly(std::nullopt);
        engine.pushSoon();
        return;
    }
    for (const FanPreset& preset : presets.presets()) {
        if (preset.name == *choice) {
            presets.activateForSessionOnly(preset.id);
            engine.pushSoon();
            return;
        }
    }
}

QCoro::Task<void> AppState::shutDown()
{
    QElapsedTimer step;
    qCInfo(lifecycleLog, "quit: handing the fans back");
    step.start();
    co_await m_engine->shutDown();
    qCInfo(lifecycleLog, "quit: fans handed back after %lld ms", step.restart());
    qCInfo(lifecycleLog, "quit: shutting the helper down");
    co_await m_helper->shutDownDaemon();
    qCInfo(lifecycleLog, "quit: helper shut down after %lld ms", step.elapsed());
}

} // namespace brisvane
