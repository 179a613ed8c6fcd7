#pragma once
// The main-thread half of telemetry: the latest sample, a 30-minute history, peaks since launch
// and the smoothed hottest temperatures, and the handlers (above all the control engine) that
// every sample is handed to. Confined to the main thread; observers hear only real changes.

#include "app/core/FanPreset.h"
#include "app/core/TelemetrySample.h"
#include "app/core/TemperatureSource.h"

#include <QList>
#include <QObject>
#include <QThread>
#include <QVariant>

#include <functional>
#include <optional>
#include <vector>

namespace brisvane {

class TelemetrySampler;
class UserDefaults;

class TelemetryStore : public QObject {
    Q_OBJECT

public:
    static constexpr qsizetype kHistoryLimit = 900; // 30 minutes at one sample every 2 s
    static constexpr double kSampleIntervalSeconds = 2.0;
    static constexpr double kSmoothingFactor = 0.4;

    // Creates the sampler and its thread; nothing is opened or started yet. `defaults` holds the
    // temperature-source choice and must outlive the store.
    explicit TelemetryStore(UserDefaults& defaults, QObject* parent = nullptr);
    ~TelemetryStore() override;

    // Starts the sampler thread at low priority; its samples are ingested here, in order. Call
    // once, after every handler that must see the first sample has been registered.
    void start(double intervalSeconds = kSampleIntervalSeconds);

    // Connects `handler` to sampleIngested: it runs synchronously on every ingested sample, after
    // every other change signal and in registration order (the engine's request comes before
    // the alerts and the headless status line that report on it); there is no removal.
    using SampleHandler = std::function<void(const TelemetrySample&)>;
    void onSample(SampleHandler handler);

    // The sampler's samples arrive here; tests feed samples directly.
    void ingest(const TelemetrySample& sample);
    // `sample` with every non-finite temperature and fan speed replaced by the same reading of
    // `previous`, or 0: what ingest keeps and hands on.
    static TelemetrySample sanitised(TelemetrySample sample,
                                     const std::optional<TelemetrySample>& previous);

    const std::optional<TelemetrySample>& latest() const { return m_latest; }
    // Oldest first, at most kHistoryLimit samples.
    const QList<TelemetrySample>& history() const { return m_history; }
    // How many samples have left the front of the history since launch: the first sample of
    // history() is sample number evictedSampleCount() of the session.
    qint64 evictedSampleCount() const { return m_evictedSampleCount; }

    // False once a sample arrives with no fans and no positive temperature; true again with the
    // first sample that has either.
    bool smcAvailable() const { return m_smcAvailable; }

    // Highest cpuMax / gpuMax since launch, °C; never decrease.
    double peakCPU() const { return m_peakCPU; }
    double peakGPU() const { return m_peakGPU; }

    // Exponentially smoothed cpuMax / gpuMax, °C; 0 until a positive reading.
    double cpuHottestSmoothed() const { return m_cpuHottestSmoothed; }
    double gpuHottestSmoothed() const { return m_gpuHottestSmoothed; }

    // The larger smoothed maximum; absent before the first sample.
    std::optional<double> hottestTemperature() const;

    // The temperature that drives the fan curves, chosen by the temperature-source setting
    // (as the store's user defaults last changed it); absent before the first sample.
    std::optional<double> systemTemperature() const;

    // The temperature a preset with this source is driven by: the CPU or GPU average of the
    // latest sample, the hottest temperature, or for appSetting the system temperature. Absent
    // before the first sample; it changes with systemTemperatureChanged.
    std::optional<double> temperature(FanPreset::Source source) const;

    TelemetrySampler& sampler() { return *m_sampler; }
    QThread& samplerThread() { return m_samplerThread; }

    // The store the temperature-source choice is read from; the settings write it there.
    UserDefaults& defaults() const { return m_defaults; }

signals:
    // Last of the signals of one sample, when every value is in place.
    void sampleIngested(const brisvane::TelemetrySample& sample);
    void latestChanged();
    void historyChanged();
    void smcAvailableChanged();
    void peakCPUChanged();
    void peakGPUChanged();
    void cpuHottestSmoothedChanged();
    void gpuHottestSmoothedChanged();
    // With every new sample, and when the temperature-source setting is changed through the
    // store's user defaults.
    void systemTemperatureChanged();

private:
    UserDefaults& m_defaults;
    mutable std::optional<TemperatureSource> m_temperatureSource; // read when first needed
    QThread m_samplerThread;
    TelemetrySampler* m_sampler; // lives on m_samplerThread, deleted there when it finishes

    std::optional<TelemetrySample> m_latest;
    QList<TelemetrySample> m_history;
    qint64 m_evictedSampleCount = 0;
    bool m_smcAvailable = true;
    double m_peakCPU = 0;
    double m_peakGPU = 0;
    double m_cpuHottestSmoothed = 0;
    double m_gpuHottestSmoothed = 0;
};

} // namespace brisvane
