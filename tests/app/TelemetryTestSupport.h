#pragma once
// Samples and fan readings built by hand, for the tests that drive the store and the engine.

#include "app/core/TelemetrySample.h"

#include <QDateTime>

#include <vector>

namespace brisvane::test {

inline SMCFanReading fanReading(int index, double minRPM = 1200, double maxRPM = 6000)
{
    SMCFanReading fan;
    fan.index = index;
    fan.actualRPM = minRPM;
    fan.targetRPM = minRPM;
    fan.minRPM = minRPM;
    fan.maxRPM = maxRPM;
    fan.modeRaw = 0;
    return fan;
}

inline std::vector<SMCFanReading> laptopFans()
{
    return {fanReading(0), fanReading(1)};
}

struct Temperatures {
    double cpuAverage = 0;
    double cpuMax = 0;
    double gpuAverage = 0;
    double gpuMax = 0;
};

// `hottest` is the larger maximum, as the sensor reader reports it.
inline TelemetrySample sampleWith(Temperatures t, std::vector<SMCFanReading> fans = laptopFans(),
                                  qint64 secondsSinceEpoch = 1'700'000'000)
{
    TelemetrySample sample;
    sample.timestamp = QDateTime::fromSecsSinceEpoch(secondsSinceEpoch);
    sample.temperatures = {t.cpuAverage, t.cpuMax, t.gpuAverage, t.gpuMax,
                           std::max(t.cpuMax, t.gpuMax)};
    sample.fans = std::move(fans);
    return sample;
}

// Both averages and maxima at `celsius`: whichever source is chosen reads this temperature
// (smoothing aside).
inline TelemetrySample sampleAt(double celsius, std::vector<SMCFanReading> fans = laptopFans())
{
    return sampleWith({celsius, celsius, celsius, celsius}, std::move(fans));
}

} // namespace brisvane::test
