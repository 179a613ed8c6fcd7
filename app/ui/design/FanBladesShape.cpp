#include "app/ui/design/FanBladesShape.h"

#include <QTransform>

#include <array>

namespace brisvane {
namespace {

struct Cubic {
    QPointF control1, control2, end;
};

// One blade pointing up, swept clockwise, its root inside the hub.
constexpr QPointF kBladeStart(45, 41);
constexpr std::array<Cubic, 4> kBlade{{
    {{35, 31}, {33, 13}, {48, 6}},
    {{58, 1}, {72, 5}, {71, 16}},
    {{70, 26}, {60, 32}, {57, 42}},
    {{55, 47}, {48, 46}, {45, 41}},
}};

QTransform rotation(double degrees)
{
    return QTransform()
        .translate(FanBladesShape::kDesignSize / 2, FanBladesShape::kDesignSize / 2)
        .rotate(degrees)
        .translate(-FanBladesShape::kDesignSize / 2, -FanBladesShape::kDesignSize / 2);
}

QString number(double value)
{
    return QString::number(value, 'f', 2);
}

QString point(QPointF p)
{
    return number(p.x()) + QLatin1Char(' ') + number(p.y());
}

} // namespace

QPainterPath FanBladesShape::path()
{
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    for (const double degrees : {0.0, 120.0, 240.0}) {
        const QTransform turn = rotation(degrees);
        path.moveTo(turn.map(kBladeStart));
        for (const Cubic& c : kBlade)
            path.cubicTo(turn.map(c.control1), turn.map(c.control2), turn.map(c.end));
        path.closeSubpath();
    }
    // Clockwise on screen, like the blades.
    const double centre = kDesignSize / 2;
    path.moveTo(centre + kHubRadius, centre);
    path.arcTo(QRectF(centre - kHubRadius, centre - kHubRadius, 2 * kHubRadius, 2 * kHubRadius), 0,
               -360);
    path.closeSubpath();
    return path;
}

QString FanBladesShape::svgPath()
{
    QString svg;
    for (const double degrees : {0.0, 120.0, 240.0}) {
        const QTransform turn = rotation(degrees);
        svg += QStringLiteral("M ") + point(turn.map(kBladeStart));
        for (const Cubic& c : kBlade)
            svg += QStringLiteral(" C ") + point(turn.map(c.control1)) + QLatin1Char(' ') +
                   point(turn.map(c.control2)) + QLatin1Char(' ') + point(turn.map(c.end));
        svg += QStringLiteral(" Z ");
    }
    const double centre = kDesignSize / 2;
    const QString radius = number(kHubRadius);
    svg +=
        QStringLiteral("M %1 %2 A %3 %3 0 1 1 %4 %2 A %3 %3 0 1 1 %1 %2 Z")
            .arg(number(centre + kHubRadius), number(centre), radius, number(centre - kHubRadius));
    return svg;
}

} // namespace brisvane
