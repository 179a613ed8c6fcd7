#include "app/ui/curves/CurveChart.h"

#include "app/core/ControlEngine.h"

#include <QLineF>
#include <QLocale>

#include <algorithm>
#include <cmath>

namespace brisvane::CurveChart {
namespace {

constexpr double kMinC = FanCurve::kMinimumTempC;
constexpr double kMaxC = FanCurve::kMaximumTempC;

// Centred on `value`, but `inset` from either end of 0…length; centred when too short for both.
double keptInside(double value, double inset, double length)
{
    if (length < 2 * inset)
        return length / 2;
    return std::clamp(value, inset, length - inset);
}

} // namespace

QList<CurveGridLine> temperatureLines(const CurvePlotGeometry& geometry)
{
    const int step = geometry.width < kNarrowPlotWidth ? 30 : 10;
    QList<CurveGridLine> lines;
    for (int t = static_cast<int>(kMinC); t <= kMaxC; t += step) {
        const QString label = t == kMinC ? QString() : qtTrId("curves.chart.axisDegrees").arg(t);
        lines.append({double(t), geometry.x(t), label});
    }
    return lines;
}

QList<CurveGridLine> percentLines(const CurvePlotGeometry& geometry)
{
    QList<CurveGridLine> lines;
    for (int p = 0; p <= 100; p += 25)
        lines.append({double(p), geometry.y(p), qtTrId("curves.chart.axisPercent").arg(p)});
    return lines;
}

QPolygonF linePolyline(const FanCurve& curve, const CurvePlotGeometry& geometry)
{
    if (curve.points.isEmpty())
        return {};
    // Built from the curve's own evaluation at the edges, so points outside 20–110 °C (possible
    // in a hand-edited file) bend the line where the engine would, not outside the plot.
    QPolygonF line;
    const double first = curve.points.first().tempC;
    if (first > kMinC) {
        line << geometry.position(kMinC, 0) << geometry.position(std::min(first, kMaxC), 0);
    } else {
        line << geometry.position(kMinC, curve.percent(kMinC));
    }
    for (const FanCurvePoint& point : curve.points) {
        if (point.tempC > kMinC && point.tempC < kMaxC)
            line << geometry.position(point.tempC, point.percent);
    }
    line << geometry.position(kMaxC, curve.percent(kMaxC));
    return line;
}

QPolygonF areaPolygon(const FanCurve& curve, const CurvePlotGeometry& geometry)
{
    QPolygonF area = linePolyline(curve, geometry);
    if (area.isEmpty())
        return area;
    area << geometry.position(kMaxC, 0) << geometry.position(kMinC, 0);
    return area;
}

std::optional<CurveLiveMarker> liveMarker(const FanCurve& curve, const CurvePlotGeometry& geometry,
                                          std::optional<double> liveTemperature)
{
    if (!liveTemperature || std::isnan(*liveTemperature))
        return std::nullopt;
    const double t = std::clamp(*liveTemperature, kMinC, kMaxC);
    const double x = geometry.x(t);
    return CurveLiveMarker{x, keptInside(x, kLiveLabelEdgeInset, geometry.width),
                           qtTrId("curves.chart.axisDegrees").arg(std::lround(*liveTemperature)),
                           geometry.position(t, curve.percent(t))};
}

FanCurvePoint dragValue(const CurvePlotGeometry& geometry, QPointF location)
{
    return {std::round(geometry.temperature(location.x())),
            std::round(geometry.percent(location.y()))};
}

std::optional<FanCurvePoint> tapCandidate(const FanCurve& curve, const CurvePlotGeometry& geometry,
                                          QPointF location)
{
    const FanCurvePoint candidate = dragValue(geometry, location);
    const QPointF snapped = geometry.position(candidate.tempC, candidate.percent);
    for (const FanCurvePoint& point : curve.points) {
        const QPointF at = geometry.position(point.tempC, point.percent);
        if (QLineF(at, snapped).length() < kHandleHitRadius ||
            std::abs(point.tempC - candidate.tempC) < kMinimumSpacingC)
            return std::nullopt;
    }
    return candidate;
}

double estimatedRPM(double percent, const SMCFanReading& fan)
{
    return ControlEngine::targetRPMs({percent}, {fan}).value(0);
}

QString calloutText(double tempC, double percent, const std::optional<SMCFanReading>& fan)
{
    const auto t = static_cast<qlonglong>(std::trunc(tempC));
    const auto p = static_cast<qlonglong>(std::trunc(percent));
    if (!fan)
        return qtTrId("curves.chart.callout.temperatureAndPercent").arg(t).arg(p);
    if (!(percent > 0))
        return qtTrId("curves.chart.callout.automaticSpeed").arg(t).arg(p);
    const auto rpm = static_cast<qlonglong>(estimatedRPM(percent, *fan));
    return qtTrId("curves.chart.callout.estimatedRPM").arg(t).arg(p).arg(QLocale().toString(rpm));
}

QPointF calloutCenter(const CurvePlotGeometry& geometry, QPointF anchor)
{
    const double y =
        anchor.y() > kCalloutFlipDepth ? anchor.y() - kCalloutOffset : anchor.y() + kCalloutOffset;
    return {keptInside(anchor.x(), kCalloutEdgeInset, geometry.width), y};
}

QString pointAccessibleName(int index)
{
    return qtTrId("curves.chart.pointAccessibilityLabel").arg(index + 1);
}

QString pointAccessibleValue(const FanCurvePoint& point)
{
    return qtTrId("curves.chart.pointAccessibilityValue")
        .arg(std::lround(point.tempC))
        .arg(std::lround(point.percent));
}

namespace {

// The index of the one point `longer` has beyond `shorter`, or -1 if they differ otherwise.
qsizetype extraPoint(const FanCurve& shorter, const FanCurve& longer)
{
    if (longer.points.size() != shorter.points.size() + 1)
        return -1;
    qsizetype extra = 0;
    while (extra < shorter.points.size() && shorter.points[extra] == longer.points[extra])
        ++extra;
    for (qsizetype i = extra; i < shorter.points.size(); ++i) {
        if (!(shorter.points[i] == longer.points[i + 1]))
            return -1;
    }
    return extra;
}

} // namespace

bool springs(const FanCurve& from, const FanCurve& to)
{
    return !from.points.isEmpty() && !to.points.isEmpty() &&
           (extraPoint(from, to) >= 0 || extraPoint(to, from) >= 0);
}

FanCurve springFrame(const FanCurve& from, const FanCurve& to, double progress)
{
    if (progress >= 1 || !springs(from, to))
        return to;
    const double p = std::max(0.0, progress);
    if (const qsizetype added = extraPoint(from, to); added >= 0) {
        FanCurve frame = to;
        FanCurvePoint& point = frame.points[added];
        const double start = from.percent(point.tempC);
        point.percent = start + (point.percent - start) * p;
        return frame;
    }
    const qsizetype deleted = extraPoint(to, from);
    FanCurve frame = from;
    FanCurvePoint& point = frame.points[deleted];
    const double end = to.percent(point.tempC);
    point.percent = point.percent + (end - point.percent) * p;
    return frame;
}

} // namespace brisvane::CurveChart
