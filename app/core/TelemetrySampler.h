#pragma once
// The background half of telemetry: a worker object that lives on its own low-priority thread,
// owns the app's SMC connection and sensor reader, and reads them on a precise timer. Samples
// leave as `sampled` signals, which reach main-thread receivers queued, as copies.

#include "app/core/TelemetrySample.h"

#include "smc/Clock.h"

#include <QObject>

#include <memory>

class QTimer;

namespace brisvane {

class SMCConnection;
class SMCTemperatureSensors;

class TelemetrySampler : public QObject {
    Q_OBJECT

public:
    // Nothing is opened yet. `clock` paces the sensor re-discovery and must outlive the sampler.
    explicit TelemetrySampler(const Clock& clock = SteadyClock::shared());
    ~TelemetrySampler() override;

    // Call on the sampler's own thread (queue it there). Opens the SMC once, the first time
    // (a failure is dropped and never retried: every tick then does nothing), then ticks at
    // once and every `intervalSeconds`, replacing any earlier timer.
    Q_INVOKABLE void start(double intervalSeconds);

signals:
    void sampled(const brisvane::TelemetrySample& sample);
    // After the open attempt and the first tick of a start.
    void started(bool smcOpened);

private:
    void tick();

    const Clock& m_clock;
    std::shared_ptr<SMCConnection> m_smc;
    std::unique_ptr<SMCTemperatureSensors> m_sensors;
    QTimer* m_timer = nullptr;
    bool m_openAttempted = false;
};

} // namespace brisvane
