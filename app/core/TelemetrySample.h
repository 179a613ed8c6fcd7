#pragma once
// One reading of the machine: the die temperatures and every fan, taken together by the sampler.

#include "smc/SMCKit.h"
#include "smc/SMCTemperatureSensors.h"

#include <QDateTime>
#include <QMetaType>

#include <vector>

namespace brisvane {

struct TelemetrySample {
    // Wall-clock time at the start of the tick, before any SMC read; identifies the sample.
    QDateTime timestamp;
    SMCTemperatureSnapshot temperatures;
    // In fan-index order; empty when the fans could not be read.
    std::vector<SMCFanReading> fans;

    friend bool operator==(const TelemetrySample&, const TelemetrySample&) = default;
};

} // namespace brisvane

Q_DECLARE_METATYPE(brisvane::TelemetrySample)
