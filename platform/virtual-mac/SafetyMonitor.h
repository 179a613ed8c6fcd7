#pragma once
// An independent judge of whoever drives the fans, knowing nothing of the daemon: once per
// second of model time it records each fan that is in manual mode with a target below
// max(the safety floor for the hottest sensor, what the firmware had chosen before the
// takeover), or in manual mode with no target written for over 7 s.

#include <cstdint>
#include <string>
#include <vector>

namespace brisvane {

struct SafetyViolation {
    enum class Kind { belowFloor, noTarget };
    int fan = 0;
    Kind kind = Kind::belowFloor;
    double from = 0; // model time of the first second recorded
    double to = 0;   // model time of the last second recorded
    int seconds = 0; // seconds recorded in this run
    // The worst second of the run: lowest target against what was required, and the heat.
    double targetRPM = 0;
    double requiredRPM = 0;
    double hottestCelsius = 0;

    static const char* kindName(Kind kind);
};

class SafetyMonitor {
public:
    static constexpr double kTargetSilenceSeconds = 7.0;
    // Float rounding of a written target is not a violation.
    static constexpr double kToleranceRPM = 1.0;

    struct FanSample {
        int index = 0;
        bool manual = false;
        double targetRPM = 0;
        double minRPM = 0;
        double maxRPM = 0;
        double firmwareReferenceRPM = 0;
        double secondsSinceTarget = 0; // since the last target write or entering manual mode
    };

    // The minimum effort, in percent of a fan's range, for the hottest temperature.
    static double floorPercent(double hottestCelsius);

    // One whole second at model time `t`. `hottestCelsius` is the hottest reading a controller
    // polling once a second could have acted on (the lower of this second's and the last).
    void record(double t, double hottestCelsius, const std::vector<FanSample>& fans);

    const std::vector<SafetyViolation>& violations() const { return m_violations; }
    void clear() { m_violations.clear(); }

private:
    void note(double t, int fan, SafetyViolation::Kind kind, double target, double required,
              double hottest);
    std::vector<SafetyViolation> m_violations;
};

} // namespace brisvane
