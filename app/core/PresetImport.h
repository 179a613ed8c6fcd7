#pragma once
// Presets shared as files: the encoding an export writes, and the decoder and rules an import
// follows wherever it starts (the command line, the running copy, the presets screen). The file
// is outside input: its size is bounded and every fault is reported by name, never repaired.

#include "app/core/FanPreset.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace brisvane {

class PresetImport {
public:
    // A file larger than this is refused before it is read whole.
    static constexpr qint64 kMaximumFileBytes = 1024 * 1024;

    // One preset object, pretty-printed with sorted keys as in the preset file. It is written as
    // a user preset (isBuiltIn false), so that a built-in one can be shared like any other.
    static QByteArray encode(const FanPreset& preset);

    // One preset object or a non-empty array of them. Throws JSONDecodeError naming the fault
    // (and the entry, for an array); data over kMaximumFileBytes is refused unread. Beyond the
    // preset file's encoding, a name must hold more than white space (it is trimmed) and every
    // point's percent lie from 0 to 100.
    static QList<FanPreset> decode(const QByteArray& data);
    // The bytes of `path`, of which at most kMaximumFileBytes + 1 are read; throws
    // FileReadError for a file that cannot be read, JSONDecodeError for one that is too large.
    static QByteArray readFile(const QString& path);

    // The decoded presets as the user presets they become beside `existing`: a new id each,
    // isBuiltIn false, and a name no other preset has ("Cool", then "Cool 2", "Cool 3", …).
    static QList<FanPreset> asUserPresets(const QList<FanPreset>& decoded,
                                          const QList<FanPreset>& existing);
    // `base` if no preset in `taken` is called so, else `base` with the lowest free number ≥ 2.
    static QString uniqueName(const QString& base, const QList<FanPreset>& taken);
};

} // namespace brisvane
