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
    Q_PROPERTY(brisvane::FanPreset::Source source READ source)

public:
    // The temperature a preset's curves are evaluated at. `appSetting` follows the app's
    // temperature-source setting; the others are the preset's own choice.
    enum class Source {
        appSetting,
        cpu,         // the CPU average
        gpu,         // the GPU average
        hottestCore, // the larger of the two smoothed maxima
    };
    Q_ENUM(Source)

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
    // The "temperatureSource" text as the file holds it; empty when the key is absent. A text
    // this build does not know is kept as it is, so that the choice of a newer build survives
    // an edit made here (it follows the app's setting meanwhile).
    QString temperatureSourceText{}; // braced: the aggregate initialisers may omit it

    QString idText() const;

    // appSetting for an absent or unknown text.
    Source source() const;
    // appSetting removes the key, dropping any unknown text.
    void setSource(Source source);
    // "cpu", "gpu", "hottestCore"; empty for appSetting.
    static QString sourceText(Source source);
    // Exact, case-sensitive match of one of the texts above, else appSetting.
    static Source sourceFromText(QStringView text);

    // One percentage per fan 0 ..< fanCount: fans beyond `curves` use the last curve, and a
    // preset without curves gives 0 everywhere.
    Q_INVOKABLE QList<double> percents(double temperature, int fanCount) const;

    // Cool, then Full speed, each with `fanCount` copies of its curve and its name in the
    // current language.
    static QList<FanPreset> builtIns(int fanCount);
    static FanCurve coolCurve();
    static FanCurve fullSpeedCurve();

    friend bool operator==(const FanPreset&, const FanPreset&) = default;

    // Every key is required when decoding except "temperatureSource", which is written only
    // when set; a non-string value of it counts as absent. Other keys are ignored. Throws
    // JSONDecodeError.
    QJsonObject toJson() const;
    static FanPreset fromJson(const QJsonValue& json);
};

inline size_t qHash(const FanPreset& preset, size_t seed = 0)
{
    return qHashMulti(seed, preset.id, preset.name, preset.symbolName,
                      qHashRange(preset.curves.cbegin(), preset.curves.cend()), preset.isBuiltIn,
                      preset.temperatureSourceText);
}

} // namespace brisvane

Q_DECLARE_METATYPE(brisvane::FanPreset)
