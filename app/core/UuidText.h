#pragma once
// UUIDs as the app writes and reads them: the canonical 36-character hyphenated form,
// upper-case when written, either case when read, never with braces.

#include <QString>
#include <QUuid>

#include <optional>

namespace brisvane {

QString uuidText(const QUuid& uuid);

// Nothing unless `text` is exactly 8-4-4-4-12 hexadecimal digits.
std::optional<QUuid> uuidFromText(QStringView text);

} // namespace brisvane
