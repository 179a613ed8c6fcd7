#include "app/core/PreviewTelemetry.h"

#include "app/core/TelemetryStore.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace brisvane::PreviewTelemetry {

namespace {

// 0…1 at `minutes` into the preview: a slow wave, a faster ripple and a render job from
// minute 12 to 19.
double load(double minutes)
{
    const double wave = 0.35 + 0.2 * std::sin(2 * std::numbers::pi * minutes / 13);
    const double ripple = 0.06 * std::sin(2 * std::numbers::pi * minutes / 2.3);
    const double job =
        minutes > 12 && minutes < 19 ? 0.35 * std::sin(std::numbers::pi * (minutes - 12) / 7) : 0;
    return std::clamp(wave + ripple + job, 0.0, 1.0);
}

// Repeatable jitter in −0.5…0.5.
double jitter(int index)
{
    const double value = std::sin(index * 12.9898) * 43758.5453;
    return value - std::floor(value) - 0.5;
}

} // namespace

QList<TelemetrySample> history(const Options& options)
{
    QList<TelemetrySample> samples;
    samples.reserve(options.sampleCount);
    for (int index = 0; index < options.sampleCount; ++index) {
        const int secondsBeforeEnd = 2 * (options.sampleCount - 1 - index);
        const double minutes = index * 2 / 60.0;
        const double cpuLoad = load(minutes);
        const double gpuLoad = load(minutes - 1.5) * 0.7;
        TelemetrySample sample;
        sample.timestamp = options.end.addSecs(-secondsBeforeEnd);
        const double cpuMax = 44 + 42 * cpuLoad + 1.2 * jitter(index);
        const double gpuMax = 40 + 30 * gpuLoad + 0.8 * jitter(index + 7);
        sample.temperatures = {cpuMax - 7, cpuMax, gpuMax - 4, gpuMax, std::max(cpuMax, gpuMax)};
        // The fans follow the load a minute late and rest at their minimum below 40 %.
        const double fanLoad = std::clamp((load(minutes - 1) - 0.4) / 0.5, 0.0, 1.0);
        for (int fan = 0; fan < options.fanCount; ++fan) {
            SMCFanReading reading;
            reading.index = fan;
            reading.minRPM = 1200;
            reading.maxRPM = fan == 0 ? 5800 : 6100 - 300 * fan;
            const double share = 1 - 0.12 * fan;
            reading.targetRPM =
                reading.minRPM + (reading.maxRPM - reading.minRPM) * fanLoad * share;
            reading.actualRPM = reading.targetRPM + 25 * jitter(index + 13 * fan);
            const bool parked =
                options.lastFanParks && fan == options.fanCount - 1 && secondsBeforeEnd < 300;
            if (parked)
                reading.actualRPM = reading.targetRPM = 0;
            reading.modeRaw = 0;
            sample.fans.push_back(reading);
        }
        samples.append(sample);
    }
    return samples;
}

void feed(TelemetryStore& store, const Options& options)
{
    for (const TelemetrySample& sample : history(options))
        store.ingest(sample);
}

} // namespace brisvane::PreviewTelemetry
