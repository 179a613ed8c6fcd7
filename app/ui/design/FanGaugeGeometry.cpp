#include "app/ui/design/FanGaugeGeometry.h"

#include <QPointF>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace brisvane {
namespace {

constexpr double kTickHalfLength = 6.5;

QString number(double value)
{
    return QString::number(value, 'f', 3);
}

QString point(QPointF p)
{
    return number(p.x()) + QLatin1Char(' ') + number(p.y());
}

} // namespace

void FanGaugeGeometry::setDiameter(double diameter)
{
    if (m_diameter == diameter)
        return;
    m_diameter = diameter;
    emit geometryChanged();
}

void FanGaugeGeometry::setLineWidth(double lineWidth)
{
    if (m_lineWidth == lineWidth)
        return;
    m_lineWidth = lineWidth;
    emit geometryChanged();
}

void FanGaugeGeometry::setGapDegrees(double degrees)
{
    if (m_gapDegrees == degrees)
        return;
    m_gapDegrees = degrees;
    emit geometryChanged();
}

double FanGaugeGeometry::tickWidth() const
{
    return m_diameter / 2 * 0.006 * std::numbers::pi;
}

QString FanGaugeGeometry::arcPath(double fraction) const
{
    const double sweep = sweepDegrees() * std::clamp(fraction, 0.0, 1.0);
    if (!(sweep > 0) || m_diameter <= 0)
        return {};
    const double centre = boxSize() / 2;
    const double radius = m_diameter / 2;
    const double half = m_lineWidth / 2;
    const auto at = [&](double degrees, double r) {
        const double radians = degrees * std::numbers::pi / 180;
        return QPointF(centre + r * std::cos(radians), centre + r * std::sin(radians));
    };
    const double from = startDegrees();
    const double to = from + sweep;
    const QString large = sweep > 180 ? QStringLiteral("1") : QStringLiteral("0");
    const QString outer = number(radius + half);
    const QString inner = number(radius - half);
    const QString cap = number(half);
    // Outer edge clockwise, the round end cap, inner edge back, the round start cap.
    return QStringLiteral("M %1 A %2 %2 0 %3 1 %4 A %5 %5 0 0 1 %6 A %7 %7 0 %3 0 %8 A %5 %5 0 0 1 "
                          "%1 Z")
        .arg(point(at(from, radius + half)), outer, large, point(at(to, radius + half)), cap,
             point(at(to, radius - half)), inner, point(at(from, radius - half)));
}

QString FanGaugeGeometry::tickPath() const
{
    const double centre = boxSize() / 2;
    const double radius = m_diameter / 2;
    QString path;
    for (const double share : {0.25, 0.5, 0.75}) {
        const double radians = (startDegrees() + sweepDegrees() * share) * std::numbers::pi / 180;
        const QPointF direction(std::cos(radians), std::sin(radians));
        const QPointF centrePoint(centre, centre);
        path += QStringLiteral("M %1 L %2 ")
                    .arg(point(centrePoint + direction * (radius - kTickHalfLength)),
                         point(centrePoint + direction * (radius + kTickHalfLength)));
    }
    return path.trimmed();
}

} // namespace brisvane
