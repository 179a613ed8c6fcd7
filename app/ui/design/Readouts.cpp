#include "app/ui/design/Readouts.h"

#include <algorithm>
#include <cmath>

namespace brisvane {

QString Readouts::formattedCelsius(double celsius, const QLocale& locale)
{
    if (!std::isfinite(celsius))
        return QStringLiteral("--");
    return locale.toString(celsius, 'f', celsius < 100 ? 1 : 0);
}

QString Readouts::degrees(double celsius)
{
    return qtTrId("menuBar.temperature.degrees").arg(formattedCelsius(celsius));
}

QString Readouts::fanSpeed(double rpm)
{
    if (!std::isfinite(rpm))
        return QStringLiteral("--");
    return QLocale().toString(static_cast<qlonglong>(std::max(rpm, 0.0)));
}

QString Readouts::temperatureAccessibleName(const QString& caption, double celsius)
{
    return caption + QStringLiteral(", ") + degrees(celsius);
}

QString Readouts::fanAccessibleName(const QString& fanName, double rpm)
{
    return fanName + QStringLiteral(", ") + qtTrId("menuBar.item.fanSpeed").arg(fanSpeed(rpm));
}

double Readouts::gaugeFraction(double rpm, double maxRPM)
{
    if (!(maxRPM > 0))
        return 0;
    const double quotient = rpm / maxRPM;
    if (!(quotient > 0))
        return 0;
    return std::round(std::min(quotient, 1.0) * 1000) / 1000;
}

double Readouts::fanSpinRevolutionsPerSecond(double rpm, double maxRPM)
{
    return rpm > 0 ? 2.2 * gaugeFraction(rpm, maxRPM) : 0;
}

} // namespace brisvane
