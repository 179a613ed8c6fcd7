#include "app/core/TemperatureSource.h"

#include "app/core/UserDefaults.h"

namespace brisvane {

QString rawValue(TemperatureSource source)
{
    switch (source) {
    case TemperatureSource::average:
        return QStringLiteral("average");
    case TemperatureSource::hottestCore:
        return QStringLiteral("hottestCore");
    }
    return {};
}

std::optional<TemperatureSource> temperatureSource(QStringView raw)
{
    for (TemperatureSource source : {TemperatureSource::average, TemperatureSource::hottestCore})
        if (raw == rawValue(source))
            return source;
    return std::nullopt;
}

TemperatureSource currentTemperatureSource(const UserDefaults& defaults)
{
    const std::optional<QString> stored =
        defaults.stringValue(QLatin1StringView(kTemperatureSourceKey));
    return stored ? temperatureSource(*stored).value_or(TemperatureSource::average)
                  : TemperatureSource::average;
}

void setCurrentTemperatureSource(UserDefaults& defaults, TemperatureSource source)
{
    defaults.setString(QLatin1StringView(kTemperatureSourceKey), rawValue(source));
}

} // namespace brisvane
