// Drives the import decoder with arbitrary bytes, as a shared preset file or a running copy's
// import request brings them. Whatever it accepts becomes user presets with fresh ids and
// distinct names, and each of them survives an export and a re-import unchanged.
// Run: scripts/fuzz.sh, which starts it from fuzz/app/corpus/PresetImportFuzzer.

#include "app/core/JSONDecodeError.h"
#include "app/core/PresetImport.h"

#include <QSet>

#include <cstdint>
#include <cstdlib>

using namespace brisvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    QList<FanPreset> decoded;
    try {
        decoded = PresetImport::decode(bytes);
    } catch (const JSONDecodeError&) {
        return 0;
    }
    if (decoded.isEmpty())
        std::abort(); // an import that adds nothing must be refused

    const QList<FanPreset> existing = FanPreset::builtIns(2);
    const QList<FanPreset> imported = PresetImport::asUserPresets(decoded, existing);
    QSet<QString> names;
    for (const FanPreset& preset : existing)
        names.insert(preset.name);
    for (const FanPreset& preset : imported) {
        if (preset.isBuiltIn || names.contains(preset.name))
            std::abort();
        names.insert(preset.name);
        try {
            if (PresetImport::decode(PresetImport::encode(preset)) != QList<FanPreset>{preset})
                std::abort();
        } catch (const JSONDecodeError&) {
            std::abort(); // we exported something we cannot import
        }
    }
    return 0;
}
