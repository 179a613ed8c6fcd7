#include "app/core/TelemetryStore.h"

#include "app/core/Observable.h"
#include "app/core/TelemetrySampler.h"
#include "app/core/UserDefaults.h"

#include <algorithm>
#include <cmath>

namespace brisvane {
namespace {

// A state of 0 (first sample, or after a zero) jumps to the input instead of creeping up to it.
double smoothed(double state, double input)
{
    return state > 0 ? state + (input - state) * TelemetryStore::kSmoothingFactor : input;
}

// A reading that is no number (an SMC float of NaN or infinity) keeps the last valid one, or 0.
void sanitise(double& value, double previous)
{
    if (!std::isfinite(value))
        value = std::isfinite(previous) ? previous : 0.0;
}

} // namespace

TelemetrySample TelemetryStore::sanitised(TelemetrySample sample,
                                          const std::optional<TelemetrySample>& previous)
{
    const SMCTemperatureSnapshot before =
        previous ? previous->temperatures : SMCTemperatureSnapshot{};
    SMCTemperatureSnapshot& t = sample.temperatures;
    sanitise(t.cpuAverage, before.cpuAverage);
    sanitise(t.cpuMax, before.cpuMax);
    sanitise(t.gpuAverage, before.gpuAverage);
    sanitise(t.gpuMax, before.gpuMax);
    sanitise(t.hottest, before.hottest);
    for (std::size_t i = 0; i < sample.fans.size(); ++i) {
        const SMCFanReading last =
            previous && i < previous->fans.size() ? previous->fans[i] : SMCFanReading{};
        SMCFanReading& fan = sample.fans[i];
        sanitise(fan.actualRPM, last.actualRPM);
        sanitise(fan.targetRPM, last.targetRPM);
        sanitise(fan.minRPM, last.minRPM);
        sanitise(fan.maxRPM, last.maxRPM);
    }
    return sample;
}

TelemetryStore::TelemetryStore(UserDefaults& defaults, QObject* parent)
    : QObject(parent)
    , m_defaults(defaults)
    , m_sampler(new TelemetrySampler)
{
    m_samplerThread.setObjectName(QStringLiteral("org.brisvane.Brisvane.telemetry"));
    m_sampler->moveToThread(&m_samplerThread);
    connect(&m_samplerThread, &QThread::finished, m_sampler, &QObject::deleteLater);
    // Queued: the sample is copied onto the main thread; if the store is gone it is dropped.
    connect(m_sampler, &TelemetrySampler::sampled, this, &TelemetryStore::ingest,
            Qt::QueuedConnection);
    connect(&m_defaults, &UserDefaults::changed, this, [this](const QString& key) {
        if (key == QLatin1StringView(kTemperatureSourceKey)) {
            m_temperatureSource.reset();
            emit systemTemperatureChanged();
        }
    });
}

TelemetryStore::~TelemetryStore()
{
    if (m_samplerThread.isRunning()) {
        m_samplerThread.quit();
        m_samplerThread.wait();
    } else {
        delete m_sampler; // never moved onto a running thread, so nothing else touches it
    }
}

void TelemetryStore::start(double intervalSeconds)
{
    if (m_samplerThread.isRunning())
        return;
    m_samplerThread.start(QThread::LowPriority);
    QMetaObject::invokeMethod(
        m_sampler, [sampler = m_sampler, intervalSeconds] { sampler->start(intervalSeconds); },
        Qt::QueuedConnection);
}

void TelemetryStore::onSample(SampleHandler handler)
{
    // Direct: the store and every handler live on the main thread, and Qt calls a signal's
    // connections in the order they were made.
    connect(this, &TelemetryStore::sampleIngested, this, std::move(handler), Qt::DirectConnection);
}

void TelemetryStore::ingest(const TelemetrySample& incoming)
{
    // The one place readings are made safe: everything after formats, casts and compares them.
    const TelemetrySample sample = sanitised(incoming, m_latest);
    const SMCTemperatureSnapshot& t = sample.temperatures;

    const bool availabilityChanged =
        assignIfChanged(m_smcAvailable, !sample.fans.empty() || t.hottest > 0);

    m_latest = sample;

    const bool cpuSmoothedChanged =
        assignIfChanged(m_cpuHottestSmoothed, smoothed(m_cpuHottestSmoothed, t.cpuMax));
    const bool gpuSmoothedChanged =
        assignIfChanged(m_gpuHottestSmoothed, smoothed(m_gpuHottestSmoothed, t.gpuMax));

    const bool cpuPeakRose = m_peakCPU < t.cpuMax && assignIfChanged(m_peakCPU, t.cpuMax);
    const bool gpuPeakRose = m_peakGPU < t.gpuMax && assignIfChanged(m_peakGPU, t.gpuMax);

    m_history.append(sample);
    if (m_history.size() > kHistoryLimit) {
        m_evictedSampleCount += m_history.size() - kHistoryLimit;
        m_history.remove(0, m_history.size() - kHistoryLimit);
    }

    // Every value is in place before anyone hears of the change.
    if (availabilityChanged)
        emit smcAvailableChanged();
    emit latestChanged();
    if (cpuSmoothedChanged)
        emit cpuHottestSmoothedChanged();
    if (gpuSmoothedChanged)
        emit gpuHottestSmoothedChanged();
    if (cpuPeakRose)
        emit peakCPUChanged();
    if (gpuPeakRose)
        emit peakGPUChanged();
    emit historyChanged();
    emit systemTemperatureChanged();

    emit sampleIngested(sample);
}

std::optional<double> TelemetryStore::hottestTemperature() const
{
    if (!m_latest)
        return std::nullopt;
    return std::max(m_cpuHottestSmoothed, m_gpuHottestSmoothed);
}

std::optional<double> TelemetryStore::systemTemperature() const
{
    if (!m_latest)
        return std::nullopt;
    // Read with every sample, by the engine and the tray: from the settings only once, and again
    // when they change it.
    if (!m_temperatureSource)
        m_temperatureSource = currentTemperatureSource(m_defaults);
    switch (*m_temperatureSource) {
    case TemperatureSource::hottestCore:
        return hottestTemperature();
    case TemperatureSource::average:
        break;
    }
    return std::max(m_latest->temperatures.cpuAverage, m_latest->temperatures.gpuAverage);
}

std::optional<double> TelemetryStore::temperature(FanPreset::Source source) const
{
    if (!m_latest)
        return std::nullopt;
    switch (source) {
    case FanPreset::Source::cpu:
        return m_latest->temperatures.cpuAverage;
    case FanPreset::Source::gpu:
        return m_latest->temperatures.gpuAverage;
    case FanPreset::Source::hottestCore:
        return hottestTemperature();
    case FanPreset::Source::appSetting:
        break;
    }
    return systemTemperature();
}

} // namespace brisvane
