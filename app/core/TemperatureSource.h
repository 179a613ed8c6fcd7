#pragma once
// Which temperature drives the fan curves and is shown as "the" temperature: the user's choice,
// stored as text under "fanBoostTemperatureSource".

#include <QString>
#include <QStringView>

#include <optional>

namespace brisvane {

class UserDefaults;

enum class TemperatureSource {
    average,     // the larger of the CPU and GPU averages
    hottestCore, // the larger of the two smoothed maxima
};

inline constexpr char kTemperatureSourceKey[] = "fanBoostTemperatureSource";

// "average", "hottestCore".
QString rawValue(TemperatureSource source);
// Exactly one of the raw strings (case-sensitive), else nothing.
std::optional<TemperatureSource> temperatureSource(QStringView raw);

// The stored choice, read afresh on every call; a missing key or any other text is `average`.
TemperatureSource currentTemperatureSource(const UserDefaults& defaults);
void setCurrentTemperatureSource(UserDefaults& defaults, TemperatureSource source);

} // namespace brisvane
