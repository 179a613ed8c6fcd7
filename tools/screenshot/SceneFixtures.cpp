#include "tools/screenshot/SceneFixtures.h"

#include "app/core/FanHealth.h"
#include "app/core/PresetFile.h"
#include "app/core/PresetStore.h"

#include <QDateTime>
#include <QUuid>

namespace brisvane::screenshot {

SMCFanReading fan(int index, double rpm)
{
    SMCFanReading reading;
    reading.index = index;
    reading.actualRPM = rpm;
    reading.targetRPM = rpm;
    reading.minRPM = 1200;
    reading.maxRPM = 5800;
    return reading;
}

TelemetrySample pinnedSample(std::vector<SMCFanReading> fans)
{
    TelemetrySample sample;
    sample.timestamp = QDateTime::currentDateTime();
    sample.temperatures = {52, 61.5, 44, 47.2, 61.5};
    sample.fans = std::move(fans);
    return sample;
}

void stallRightFan(TelemetryStore& telemetry, ManualClock& alertsClock)
{
    SMCFanReading stalled = fan(1, 0);
    stalled.targetRPM = 2688;
    for (int i = 0; i < 2; ++i) {
        telemetry.ingest(pinnedSample({fan(0, 2412.6), stalled}));
        alertsClock.advanceSeconds(FanHealth::kStallSeconds + 1);
    }
    telemetry.ingest(pinnedSample({fan(0, 2412.6), stalled}));
}

FanPreset userPreset(const QString& name)
{
    FanPreset preset = FanPreset::builtIns(2).first();
    preset.id = QUuid::createUuid();
    preset.name = name;
    preset.symbolName = QStringLiteral("fanblades");
    preset.isBuiltIn = false;
    return preset;
}

void writePresetFile(const QString& directory, const QList<FanPreset>& presets)
{
    PresetFile::writeAtomically(directory + u'/' + QLatin1StringView(PresetStore::kFileName),
                                PresetFile::encode(presets), nullptr);
}

} // namespace brisvane::screenshot
