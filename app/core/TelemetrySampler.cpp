#include "app/core/TelemetrySampler.h"

#include "smc/SMCKit.h"
#include "smc/SMCTemperatureSensors.h"

#include <QTimer>

#include <chrono>
#include <cmath>

namespace brisvane {

TelemetrySampler::TelemetrySampler(const Clock& clock)
    : m_clock(clock)
{
    qRegisterMetaType<TelemetrySample>();
}

TelemetrySampler::~TelemetrySampler() = default;

void TelemetrySampler::start(double intervalSeconds)
{
    if (!m_openAttempted) {
        m_openAttempted = true;
        try {
            auto smc = std::make_shared<SMCConnection>();
            // The first sensor discovery walks the key directory here, off the main thread.
            m_sensors = std::make_unique<SMCTemperatureSensors>(smc, m_clock);
            m_smc = std::move(smc);
        } catch (const SMCError&) {
            m_sensors.reset();
        }
    }

    delete m_timer;
    m_timer = new QTimer(this);
    m_timer->setTimerType(Qt::PreciseTimer);
    const auto interval = std::chrono::duration<double>(
        std::isfinite(intervalSeconds) && intervalSeconds > 0 ? intervalSeconds : 0.0);
    m_timer->setInterval(std::chrono::duration_cast<std::chrono::milliseconds>(interval));
    connect(m_timer, &QTimer::timeout, this, &TelemetrySampler::tick);
    m_timer->start();
    tick();
    emit started(m_smc != nullptr);
}

void TelemetrySampler::tick()
{
    if (!m_smc || !m_sensors)
        return;
    TelemetrySample sample;
    // In UTC: the charts turn every kept sample's time into milliseconds on each new sample,
    // which for local time costs a time-zone lookup each.
    sample.timestamp = QDateTime::currentDateTimeUtc();
    sample.temperatures = m_sensors->snapshot();
    try {
        sample.fans = m_smc->readAllFans();
    } catch (const SMCError&) {
        sample.fans.clear();
    }
    emit sampled(sample);
}

} // namespace brisvane
