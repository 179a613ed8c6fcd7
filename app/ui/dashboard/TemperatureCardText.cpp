#include "app/ui/dashboard/TemperatureCardText.h"

#include "app/ui/design/Readouts.h"

#include <QLocale>
#include <QStringList>

namespace brisvane {

QString TemperatureCardText::hottestCoreCaption(double celsius)
{
    return qtTrId("dashboard.temperature.hottestCoreCaption")
        .arg(QString::asprintf("%.0f", celsius));
}

QString TemperatureCardText::sessionPeakCaption(double celsius)
{
    return qtTrId("dashboard.temperature.sessionPeak").arg(QLocale().toString(celsius, 'f', 1));
}

QString TemperatureCardText::accessibleName(const QString& title, double averageCelsius,
                                            double hottestCoreCelsius, double sessionPeakCelsius)
{
    const QString average = qtTrId("dashboard.temperature.averageAccessibleName").arg(title);
    return QStringList{Readouts::temperatureAccessibleName(average, averageCelsius),
                       hottestCoreCaption(hottestCoreCelsius),
                       sessionPeakCaption(sessionPeakCelsius)}
        .join(QStringLiteral(", "));
}

} // namespace brisvane
