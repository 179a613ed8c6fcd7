#include "app/core/PresetImport.h"

#include "app/core/JSONDecodeError.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>

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
        return {FanPreset::fromJson(document.object())};
    if (!document.isArray())
        throw JSONDecodeError(QStringLiteral("the file holds neither a preset nor a list of them"));
    const QJsonArray array = document.array();
    if (array.isEmpty())
        throw JSONDecodeError(QStringLiteral("the file holds no preset"));
    QList<FanPreset> presets;
    for (qsizetype i = 0; i < array.size(); ++i) {
        try {
            presets.append(FanPreset::fromJson(array.at(i)));
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
        throw JSONDecodeError(file.errorString());
    // Bounded: one byte more than allowed tells a file that is too large, whatever its size
    // claims to be (a pipe, a growing file).
    const QByteArray data = file.read(kMaximumFileBytes + 1);
    if (file.error() != QFileDevice::NoError)
        throw JSONDecodeError(file.errorString());
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
