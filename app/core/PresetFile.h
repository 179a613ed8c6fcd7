#pragma once
// The preset file: a JSON array of user presets, pretty-printed with sorted keys. Reading
// is all-or-nothing; writing is atomic and durable (a reader sees the old file or the new one).

#include "app/core/FanPreset.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

namespace brisvane {

class PresetFile {
public:
    // Decodes a whole file; throws JSONDecodeError for anything but an array of valid presets.
    static QList<FanPreset> decode(const QByteArray& data);
    static QByteArray encode(const QList<FanPreset>& presets);

    // Writes `data` to `path` through a temporary file that is synced to disk before it
    // replaces the old one. On failure the old file is untouched and `error` says why.
    static bool writeAtomically(const QString& path, const QByteArray& data, QString* error);

    // Renames `path` to "<path>.bad-<yyyyMMddTHHmmss>" (with "-2", "-3", … if that exists)
    // and returns the new path, or nothing with `error` set.
    static std::optional<QString> moveAside(const QString& path, const QDateTime& now,
                                            QString* error);
};

} // namespace brisvane
