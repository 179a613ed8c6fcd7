#include "SafetyMonitor.h"

#include <algorithm>
#include <cmath>

namespace brisvane {

const char* SafetyViolation::kindName(Kind kind)
{
    return kind == Kind::belowFloor ? "below-floor" : "no-target";
}

double SafetyMonitor::floorPercent(double t)
{
    if (std::isnan(t))
        return 100;
    if (t < 60)
        return 0;
    if (t < 75)
        return (t - 60) / 15 * 25;
    if (t < 85)
        return (t - 75) / 10 * 45 + 25;
    if (t < 90)
        return (t - 85) / 5 * 30 + 70;
    return 100;
}

void SafetyMonitor::record(double t, double hottestCelsius, const std::vector<FanSample>& fans)
{
    const double floor = floorPercent(hottestCelsius);
    for (const FanSample& fan : fans) {
        if (!fan.manual)
            continue;
        const double safety = floor > 0 ? fan.minRPM + floor / 100 * (fan.maxRPM - fan.minRPM) : 0;
        // A target above the fan's maximum cannot be asked for; the maximum is enough.
        const double required = std::min(std::max(safety, fan.firmwareReferenceRPM), fan.maxRPM);
        if (fan.targetRPM < required - kToleranceRPM || std::isnan(fan.targetRPM))
            note(t, fan.index, SafetyViolation::Kind::belowFloor, fan.targetRPM, required,
                 hottestCelsius);
        if (fan.secondsSinceTarget > kTargetSilenceSeconds)
            note(t, fan.index, SafetyViolation::Kind::noTarget, fan.targetRPM, required,
                 hottestCelsius);
    }
}

void SafetyMonitor::note(double t, int fan, SafetyViolation::Kind kind, double target,
                         double required, double hottest)
{
    // Consecutive seconds of one fan and kind are one finding.
    for (auto it = m_violations.rbegin(); it != m_violations.rend(); ++it) {
        if (it->fan != fan || it->kind != kind)
            continue;
        if (t - it->to <= 1.0 + 1e-6) {
            it->to = t;
            ++it->seconds;
            if (required - target > it->requiredRPM - it->targetRPM) {
                it->targetRPM = target;
                it->requiredRPM = required;
                it->hottestCelsius = hottest;
            }
            return;
        }
        break;
    }
    m_violations.push_back({fan, kind, t, t, 1, target, required, hottest});
}

} // namespace brisvane
