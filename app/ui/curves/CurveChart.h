#pragma once
// What the curve chart draws and where: the grid, the curve's line and area, the live operating
// point, the tap-to-add candidate, drag positions and the callout. QML only draws the results.

#include "app/core/FanCurve.h"
#include "app/ui/curves/CurvePlotGeometry.h"

#include "smc/SMCKit.h"

#include <QList>
#include <QPointF>
#include <QPolygonF>
#include <QString>

#include <optional>

namespace brisvane {

// One grid line: its value (°C or %), its position across the plot, and its label ("" for none).
struct CurveGridLine {
    double value = 0;
    double position = 0;
    QString label;

    friend bool operator==(const CurveGridLine&, const CurveGridLine&) = default;
};

// The live temperature's dashed line, its label marker and the operating point on the curve.
struct CurveLiveMarker {
    double lineX = 0;
    double labelX = 0;
    QString label;
    QPointF operatingPoint;

    friend bool operator==(const CurveLiveMarker&, const CurveLiveMarker&) = default;
};

namespace CurveChart {

// Below this width the temperature lines are 30 °C apart instead of 10.
inline constexpr double kNarrowPlotWidth = 9 * 34;
inline constexpr double kHandleHitRadius = 22;    // a tap this close to a point adds nothing
inline constexpr double kMinimumSpacingC = 2;     // nor does one this close in temperature
inline constexpr double kCalloutOffset = 32;      // above or below the point
inline constexpr double kCalloutFlipDepth = 46;   // closer than this to the top: below it
inline constexpr double kCalloutEdgeInset = 78;   // the callout's centre from either edge
inline constexpr double kLiveLabelEdgeInset = 24; // the live label's centre from either edge

// Vertical lines every 10 °C (30 °C on a narrow plot) from 20 to 110; all but 20 labelled.
QList<CurveGridLine> temperatureLines(const CurvePlotGeometry& geometry);
// Horizontal lines at 0, 25, 50, 75 and 100 %, each labelled.
QList<CurveGridLine> percentLines(const CurvePlotGeometry& geometry);

// FanCurve::percent drawn over 20–110 °C: flat at 0 up to the first point, through the points,
// flat at the last point's percent to the right edge. Empty for an empty curve.
QPolygonF linePolyline(const FanCurve& curve, const CurvePlotGeometry& geometry);
// The line closed along the bottom edge.
QPolygonF areaPolygon(const FanCurve& curve, const CurvePlotGeometry& geometry);

std::optional<CurveLiveMarker> liveMarker(const FanCurve& curve, const CurvePlotGeometry& geometry,
                                          std::optional<double> liveTemperature);

// A pointer position as a dragged point's value: whole degrees and whole percent, in range.
FanCurvePoint dragValue(const CurvePlotGeometry& geometry, QPointF location);

// The point a tap at `location` would add, or none: a tap near a point (on screen or in
// temperature) adds nothing. The point's position is the snapped place of the ghost handle.
std::optional<FanCurvePoint> tapCandidate(const FanCurve& curve, const CurvePlotGeometry& geometry,
                                          QPointF location);

// The speed the engine would ask of `fan` at `percent`.
double estimatedRPM(double percent, const SMCFanReading& fan);
// "62 °C · 40%", "… · macOS decides" at 0 % or less, "… · about 2,400 RPM" with a fan.
QString calloutText(double tempC, double percent, const std::optional<SMCFanReading>& fan);
// The callout's centre for a point at `anchor`: 32 points above it, or below it near the top,
// and at least 78 points from either side.
QPointF calloutCenter(const CurvePlotGeometry& geometry, QPointF anchor);

// A point added to or deleted from `from`, giving `to`, springs: the added point rises out of
// the old line to its place, the deleted one sinks onto the new line and then goes. `progress`
// runs from 0 to 1, eased. Whether the change is one point more or less tells which; any other
// change shows `to` at once.
bool springs(const FanCurve& from, const FanCurve& to);
FanCurve springFrame(const FanCurve& from, const FanCurve& to, double progress);

// A handle's accessible name and value: "Point 2", "45 degrees, 15 percent". `index` from 0.
QString pointAccessibleName(int index);
QString pointAccessibleValue(const FanCurvePoint& point);

} // namespace CurveChart
} // namespace brisvane
