#pragma once
// The object graph every screen shares: the telemetry store with its sampler, the helper client,
// the preset store, the control engine and the alerts, created once at launch in that order and
// alive until the process ends. Main thread only.

#include "app/core/Alerts.h"
#include "app/core/ControlEngine.h"
#include "app/core/HelperControlling.h"
#include "app/core/Logging.h"
#include "app/core/PresetStore.h"
#include "app/core/TelemetryStore.h"

#include <QCoroTask>
#include <QObject>

#include <functional>
#include <memory>
#include <optional>

namespace brisvane {

class DesktopNotifier;
class UserDefaults;

class AppState : public QObject {
    Q_OBJECT

public:
    // The user-defaults key read at start.
    static constexpr char kActivatePresetKey[] = "ActivatePreset";
    // The "ActivatePreset" value that selects the automatic slot.
    static constexpr char kAutomaticPresetChoice[] = "Automatic";

    // Builds and starts the graph: the four parts (two fans, the default preset folder), the
    // helper's install state, the sampler at 2 s, then the launch-time preset choice.
    // `defaults` must outlive the state.
    explicit AppState(UserDefaults& defaults, QObject* parent = nullptr);
    // Takes the four parts ready-made (screens against a PreviewHelperClient); starts nothing.
    // `engine` must have been built on the other three; the alerts judge time by `alertsClock`
    // (pictures of an alert need no 10 s of waiting), which must outlive the state.
    AppState(std::unique_ptr<TelemetryStore> telemetry, std::unique_ptr<HelperControlling> helper,
             std::unique_ptr<PresetStore> presets, std::unique_ptr<ControlEngine> engine,
             QObject* parent = nullptr, const Clock& alertsClock = SteadyClock::shared());
    ~AppState() override;

    Q_PROPERTY(brisvane::TelemetryStore* telemetry READ telemetryObject CONSTANT)
    TelemetryStore& telemetry() const { return *m_telemetry; }
    Q_PROPERTY(brisvane::HelperControlling* helper READ helperObject CONSTANT)
    HelperControlling& helper() const { return *m_helper; }
    Q_PROPERTY(brisvane::PresetStore* presets READ presetsObject CONSTANT)
    PresetStore& presets() const { return *m_presets; }
    Q_PROPERTY(brisvane::ControlEngine* engine READ engineObject CONSTANT)
    ControlEngine& engine() const { return *m_engine; }
    // Built on the others (without notifications when the parts came ready-made).
    Q_PROPERTY(brisvane::Alerts* alerts READ alertsObject CONSTANT)
    Alerts& alerts() const { return *m_alerts; }

    // Brings the main window forward; installed by the menu-bar item whenever it is shown,
    // absent before. Setting notifies, except absent over absent (actions cannot be compared).
    using Action = std::function<void()>;
    const std::optional<Action>& openMainWindow() const { return m_openMainWindow; }
    void setOpenMainWindow(std::optional<Action> action);
    bool canOpenMainWindow() const { return m_openMainWindow.has_value(); }
    // Runs openMainWindow if it is set; false when it is absent.
    Q_INVOKABLE bool requestOpenMainWindow();

    // "ActivatePreset": "Automatic" selects the automatic slot, any other text the first preset
    // with exactly that name, for this run only, followed by a push; no match does nothing.
    static void applyLaunchPresetChoice(const UserDefaults& defaults, PresetStore& presets,
                                        ControlEngine& engine);

    // The quit sequence: the engine hands the fans back, then the daemon is told to shut down.
    // Each remote call ends after its reply or the helper client's time limit. The state must
    // outlive the task.
    QCoro::Task<void> shutDown();

signals:
    void openMainWindowChanged();

private:
    TelemetryStore* telemetryObject() const { return m_telemetry.get(); }
    HelperControlling* helperObject() const { return m_helper.get(); }
    PresetStore* presetsObject() const { return m_presets.get(); }
    ControlEngine* engineObject() const { return m_engine.get(); }
    Alerts* alertsObject() const { return m_alerts.get(); }

    // Declared in creation order, so the engine goes first and the telemetry store last.
    std::unique_ptr<TelemetryStore> m_telemetry;
    std::unique_ptr<HelperControlling> m_helper;
    std::unique_ptr<PresetStore> m_presets;
    std::unique_ptr<ControlEngine> m_engine;
    std::unique_ptr<DesktopNotifier> m_notifier;
    std::unique_ptr<Alerts> m_alerts;
    std::optional<Action> m_openMainWindow;
};

} // namespace brisvane
