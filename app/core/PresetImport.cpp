#include "app/core/PresetImport.h"

#include "app/core/FileReadError.h"
#include "app/core/JSONDecodeError.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>
#include <cmath>

namespace brisvane {
namespace {

QString tooLarge()
{
    return QStringLiteral("the file is larger than %1 bytes").arg(PresetImport::kMaximumFileBytes);
}

bool nameTaken(const QString& name, const QList<FanPreset>& taken)
{
    return std::any_of(taken.cbegin(), taken.cend(),
                       [&](const FanPreset& preset) { return preset.name == name; });
}

// What the file format allows but no preset of this app holds: a name the rename would refuse,
// and a fan speed outside its range, which the curve editor could neither draw nor fix.
FanPreset checkedPreset(const QJsonValue& json)
{
    FanPreset preset = FanPreset::fromJson(json);
    preset.name = preset.name.trimmed();
    if (preset.name.isEmpty())
        throw JSONDecodeError(QStringLiteral("\"name\" is empty"));
    for (qsizetype c = 0; c < preset.curves.size(); ++c) {
        const QList<FanCurvePoint>& points = preset.curves[c].points;
        for (qsizetype p = 0; p < points.size(); ++p) {
            const QString where = QStringLiteral("curve %1, point %2: ").arg(c + 1).arg(p + 1);
            if (!(points[p].percent >= 0 && points[p].percent <= 100))
                throw JSONDecodeError(where + QStringLiteral("\"percent\" is outside 0 to 100"));
            if (!std::isfinite(points[p].tempC))
                throw JSONDecodeError(where + QStringLiteral("\"tempC\" is not a finite number"));
        }
    }
    return preset;
}

} // namespace

QByteArray PresetImport::encode(const FanPreset& preset)
{
    FanPreset shared = preset;
    shared.isBuiltIn = false;
    return QJsonDocument(shared.toJson()).toJson(QJsonDocument::Indented);
}

QList<FanPreset> PresetImport::decode(const QByteArray& data)
{
    if (data.size() > kMaximumFileBytes)
        throw JSONDecodeError(tooLarge());
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(data, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        throw JSONDecodeError(QStringLiteral("not JSON: %1 at offset %2")
                                  .arg(parseError.errorString())
                                  .arg(parseError.offset));
    if (document.isObject())
        return {checkedPreset(document.object())};
    if (!document.isArray())
        throw JSONDecodeError(QStringLiteral("the file holds neither a preset nor a list of them"));
    const QJsonArray array = document.array();
    if (array.isEmpty())
        throw JSONDecodeError(QStringLiteral("the file holds no preset"));
    QList<FanPreset> presets;
    for (qsizetype i = 0; i < array.size(); ++i) {
        try {
            presets.append(checkedPreset(array.at(i)));
        } catch (const JSONDecodeError& error) {
            throw JSONDecodeError(
                QStringLiteral("preset %1: %2").arg(i + 1).arg(error.description()));
        }
    }
    return presets;
}

QByteArray PresetImport::readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw FileReadError(file.errorString());
    // Bounded: one byte more than allowed tells a file that is too large, whatever its size
    // claims to be (a pipe, a growing file).
    const QByteArray data = file.read(kMaximumFileBytes + 1);
    if (file.error() != QFileDevice::NoError)
        throw FileReadError(file.errorString());
    if (data.size() > kMaximumFileBytes)
        throw JSONDecodeError(tooLarge());
    return data;
}

QList<FanPreset> PresetImport::asUserPresets(const QList<FanPreset>& decoded,
                                             const QList<FanPreset>& existing)
{
    QList<FanPreset> taken = existing;
    QList<FanPreset> result;
    for (FanPreset preset : decoded) {
        preset.id = QUuid::createUuid();
        preset.isBuiltIn = false;
        preset.name = uniqueName(preset.name, taken);
        taken.append(preset);
        result.append(std::move(preset));
    }
    return result;
}

QString PresetImport::uniqueName(const QString& base, const QList<FanPreset>& taken)
{
    if (!nameTaken(base, taken))
        return base;
    for (int n = 2;; ++n) {
        const QString candidate = QStringLiteral("%1 %2").arg(base).arg(n);
        if (!nameTaken(candidate, taken))
            return candidate;
    }
}

} // namespace brisvane
