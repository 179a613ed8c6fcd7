#pragma once
// A selectable set of fan curves, one per fan, identified by `id`. Two built-in presets ship
// with the app; the user's own presets are stored by PresetStore.

#include "app/core/FanCurve.h"

#include <QList>
#include <QString>
#include <QUuid>

namespace brisvane {

struct FanPreset {
    Q_GADGET
    Q_PROPERTY(QUuid id MEMBER id)
    Q_PROPERTY(QString idText READ idText) // the id as written in files and defaults
    Q_PROPERTY(QString name MEMBER name)
    Q_PROPERTY(QString symbolName MEMBER symbolName)
    Q_PROPERTY(QList<brisvane::FanCurve> curves MEMBER curves)
    Q_PROPERTY(bool isBuiltIn MEMBER isBuiltIn)

public:
    // Fixed, so that a selection of a built-in preset survives restarts and language changes.
    static constexpr QUuid coolID{0x6E6C0001, 0x0000, 0x4000, 0x80, 0x00, 0x00,
                                  0x00,       0x00,   0x00,   0x00, 0x01};
    static constexpr QUuid fullSpeedID{0x6E6C0002, 0x0000, 0x4000, 0x80, 0x00, 0x00,
                                       0x00,       0x00,   0x00,   0x00, 0x02};

    QUuid id;
    QString name;
    QString symbolName;
    QList<FanCurve> curves; // element i drives fan i; may be shorter than the fan count
    bool isBuiltIn = false;

    QString idText() const;

    // One percentage per fan 0 ..< fanCount: fans beyond `curves` use the last curve, and a
    // preset without curves gives 0 everywhere.
    Q_INVOKABLE QList<double> percents(double temperature, int fanCount) const;

    // Cool, then Full speed, each with `fanCount` copies of its curve and its name in the
    // current language.
    static QList<FanPreset> builtIns(int fanCount);
    static FanCurve coolCurve();
    static FanCurve fullSpeedCurve();

    friend bool operator==(const FanPreset&, const FanPreset&) = default;

    // Every key is required when decoding; others are ignored. Throws JSONDecodeError.
    QJsonObject toJson() const;
    static FanPreset fromJson(const QJsonValue& json);
};

inline size_t qHash(const FanPreset& preset, size_t seed = 0)
{
    return qHashMulti(seed, preset.id, preset.name, preset.symbolName,
                      qHashRange(preset.curves.cbegin(), preset.curves.cend()), preset.isBuiltIn);
}

} // namespace brisvane

Q_DECLARE_METATYPE(brisvane::FanPreset)
