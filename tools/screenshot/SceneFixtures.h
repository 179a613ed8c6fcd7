#pragma once
// What several scenes show: a daemon stand-in that takes every target, pinned readings of the
// virtual Mac's two fans, a stalled fan, and presets of the user's written where the store
// reads them.

#include "app/core/FanPreset.h"
#include "app/core/PreviewHelperClient.h"
#include "app/core/TelemetryStore.h"

#include "smc/Clock.h"
#include "smc/SMCKit.h"

#include <QList>
#include <QString>

#include <vector>

namespace brisvane::screenshot {

// A daemon stand-in that takes every target it is sent, so that a boost is in force.
class AcceptingHelper : public PreviewHelperClient {
public:
    using PreviewHelperClient::PreviewHelperClient;
    QCoro::Task<std::optional<QList<double>>> setTargets(QList<double> targets) override
    {
        co_return targets;
    }
};

// Fan `index` turning at `rpm`, as asked, in the range 1,200–5,800 RPM.
SMCFanReading fan(int index, double rpm);
// A sample of now with the pinned temperatures and these fans.
TelemetrySample pinnedSample(std::vector<SMCFanReading> fans);
// The right fan asked for 2,688 RPM and not turning for longer than the alert waits, with the
// alerts' clock moved on instead of the picture waiting.
void stallRightFan(TelemetryStore& telemetry, ManualClock& alertsClock);

// A preset of the user's named `name`: the first built-in's curves under a fan symbol.
FanPreset userPreset(const QString& name);
// `presets` as the preset store's file in `directory`.
void writePresetFile(const QString& directory, const QList<FanPreset>& presets);

} // namespace brisvane::screenshot
