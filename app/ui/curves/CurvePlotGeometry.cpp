#include "app/ui/curves/CurvePlotGeometry.h"

#include <algorithm>

namespace brisvane {

static constexpr double kSpanC = FanCurve::kMaximumTempC - FanCurve::kMinimumTempC;

double CurvePlotGeometry::x(double tempC) const
{
    return (tempC - FanCurve::kMinimumTempC) / kSpanC * width;
}

double CurvePlotGeometry::y(double percent) const
{
    return (1 - percent / 100) * height;
}

QPointF CurvePlotGeometry::position(double tempC, double percent) const
{
    return {x(tempC), y(percent)};
}

double CurvePlotGeometry::temperature(double x) const
{
    if (!(width > 0))
        return FanCurve::kMinimumTempC;
    return std::clamp(FanCurve::kMinimumTempC + x / width * kSpanC, FanCurve::kMinimumTempC,
                      FanCurve::kMaximumTempC);
}

double CurvePlotGeometry::percent(double y) const
{
    if (!(height > 0))
        return 0;
    return std::clamp((1 - y / height) * 100, 0.0, 100.0);
}

} // namespace brisvane
