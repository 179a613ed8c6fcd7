#include "app/ui/dashboard/TemperatureCardText.h"

#include "app/ui/design/Readouts.h"

#include <QStringList>

namespace brisvane {

QString TemperatureCardText::hottestCoreCaption(double celsius)
{
    return qtTrId("dashboard.temperature.hottestCoreCaption")
        .arg(QString::asprintf("%.0f", celsius));
}

QString TemperatureCardText::sessionPeakCaption(double celsius)
{
    return qtTrId("dashboard.temperature.sessionPeak").arg(QString::asprintf("%.1f", celsius));
}

QString TemperatureCardText::accessibleName(const QString& title, double averageCelsius,
                                            double hottestCoreCelsius, double sessionPeakCelsius)
{
    const QString average = title + u' ' + qtTrId("dashboard.temperature.averageLabel").toLower();
    return QStringList{Readouts::temperatureAccessibleName(average, averageCelsius),
                       hottestCoreCaption(hottestCoreCelsius),
                       sessionPeakCaption(sessionPeakCelsius)}
        .join(QStringLiteral(", "));
}

} // namespace brisvane
