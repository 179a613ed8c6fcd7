// Drives the preset-file decoder with arbitrary bytes. Whatever it accepts must survive a save
// and a reload unchanged, and its curves must evaluate without fault however they are ordered.
// Run: scripts/fuzz.sh, which starts it from fuzz/app/corpus/PresetFileFuzzer.

#include "app/core/JSONDecodeError.h"
#include "app/core/PresetFile.h"

#include <cstdint>
#include <cstdlib>

using namespace brisvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    QList<FanPreset> presets;
    try {
        presets = PresetFile::decode(bytes);
    } catch (const JSONDecodeError&) {
        return 0;
    }

    const QByteArray encoded = PresetFile::encode(presets);
    QList<FanPreset> reloaded;
    try {
        reloaded = PresetFile::decode(encoded);
    } catch (const JSONDecodeError&) {
        std::abort(); // we wrote something we cannot read back
    }
    if (reloaded != presets || PresetFile::encode(reloaded) != encoded)
        std::abort();

    for (const FanPreset& preset : presets) {
        for (double t : {-1e300, 0.0, 20.0, 55.5, 110.0, 1e300})
            (void)preset.percents(t, 3);
        for (FanCurve curve : preset.curves) {
            curve.move(0, {60, 50});
            curve.insert({70, 80});
            (void)curve.percent(65);
        }
    }
    return 0;
}
