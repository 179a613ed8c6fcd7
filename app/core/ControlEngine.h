#pragma once
// The app's closed loop: on every telemetry sample it smooths the system temperature, evaluates
// the active preset into one percentage per fan, raises them to the quick-boost floor, turns
// them into RPM targets and sends them to the daemon; when nothing asks for more than 0 % it
// hands the fans back to macOS. Main thread only; holds no persistent state.

#include "app/core/FanPreset.h"
#include "app/core/TelemetrySample.h"

#include "smc/Clock.h"

#include <QCoroTask>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <optional>
#include <vector>

namespace brisvane {

class HelperControlling;
class PresetStore;
class TelemetryStore;

class ControlEngine : public QObject {
    Q_OBJECT

public:
    // °C per second the smoothed temperature may fall.
    static constexpr double kCoolingRateLimit = 0.5;
    static constexpr std::chrono::milliseconds kPushDebounce{120};

    // Registers the engine's sample handler with `telemetry`. The three collaborators must
    // outlive the engine; `clock` times the smoothing steps (monotonic, so a wall-clock step
    // cannot speed the fans up).
    ControlEngine(TelemetryStore& telemetry, PresetStore& presets, HelperControlling& helper,
                  const Clock& clock = SteadyClock::shared(), QObject* parent = nullptr);
    ~ControlEngine() override;

    // A floor in percent (0 to 100) for every fan; 0 is no boost. Every assignment, even of the
    // current value, schedules a push.
    Q_PROPERTY(double quickBoostPercent READ quickBoostPercent WRITE setQuickBoostPercent NOTIFY
                   quickBoostPercentChanged)
    double quickBoostPercent() const { return m_quickBoostPercent; }
    void setQuickBoostPercent(double percent);

    // Per fan, the percentages of the last push; empty when it found no fans or no helper.
    const QList<double>& requestedPercents() const { return m_requestedPercents; }

    // Per fan, the RPM the daemon reported in force after the last setTargets; empty after a
    // release.
    const QList<double>& effectiveTargets() const { return m_effectiveTargets; }

    // True while the daemon runs the fans at this engine's targets.
    bool isOverriding() const { return m_isOverriding; }

    // The temperature the curves are evaluated at, °C.
    double smoothedTemperature() const { return m_smoothedTemperature; }
    // The source of the temperature that is smoothed: the active preset's, or the app's
    // setting in the automatic slot. One smoothed value serves every source, so switching to a
    // cooler source slows the fans at the cooling rate rather than at once.
    FanPreset::Source drivingSource() const;

    // A push 120 ms after the last of a burst of calls, outside the sample rhythm (boost, preset
    // and curve changes). Nothing happens while there is no sample yet.
    Q_INVOKABLE void pushSoon();
    bool hasPendingPush() const { return m_pushTimer.isActive(); }

    // At quit: drops a pending push, hands the fans back and clears the overriding state.
    QCoro::Task<void> shutDown();

    // The sample handler's two steps, for tests that drive the loop directly.
    void updateSmoothedTemperature(Clock::time_point now);
    void pushTargets(const std::vector<SMCFanReading>& fans);

    // RPM per fan for these percentages: a fan without a usable range gets its maximum, 0 % or
    // less (or NaN) gets 0, anything else its minimum plus that share of its range, capped at
    // 100 % and rounded half away from zero. Pairs as many as the shorter list holds.
    static QList<double> targetRPMs(const QList<double>& percents,
                                    const std::vector<SMCFanReading>& fans);

signals:
    void quickBoostPercentChanged();
    void requestedPercentsChanged();
    void effectiveTargetsChanged();
    void isOverridingChanged();

private:
    void tick(const TelemetrySample& sample);
    void setRequestedPercents(QList<double> percents);
    void setEffectiveTargets(QList<double> targets);
    void setIsOverriding(bool overriding);

    // One push cycle; started per tick and never awaited by it. Static with a guarded engine,
    // so a cycle that outlives the engine stops at its next step.
    static QCoro::Task<void> runPush(QPointer<ControlEngine> engine, QList<double> percents,
                                     std::vector<SMCFanReading> fans, bool positive);

    TelemetryStore& m_telemetry;
    PresetStore& m_presets;
    HelperControlling& m_helper;
    const Clock& m_clock;

    double m_quickBoostPercent = 0;
    QList<double> m_requestedPercents;
    QList<double> m_effectiveTargets;
    bool m_isOverriding = false;
    double m_smoothedTemperature = 0;
    std::optional<Clock::time_point> m_lastTickTime;
    QTimer m_pushTimer; // the debounced push; restarting it cancels the one pending
};

} // namespace brisvane
