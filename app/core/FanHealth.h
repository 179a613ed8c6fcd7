#pragma once
// Whether each fan turns as its target asks. A fan whose target is at least its minimum speed
// and whose actual speed stays below a quarter of that target for 10 s is not spinning (a
// blocked or failed rotor, which no target can help); it is well again after 5 s at three
// quarters of its target or more. A parked fan (target below its minimum, as the firmware does
// at idle) is never an alert, and the 10 s cover a fan spinning up after a takeover. Each
// sample is judged against the target in force at that moment: a target that changes during
// a stall neither starts nor ends a count by itself. Pure: the caller supplies the times.

#include <optional>
#include <vector>

namespace brisvane {

class FanHealth {
public:
    static constexpr double kStallSeconds = 10.0;
    static constexpr double kRecoverySeconds = 5.0;
    static constexpr double kStallFraction = 0.25;
    static constexpr double kWellFraction = 0.75;

    struct Reading {
        double actualRPM = 0;
        double targetRPM = 0; // the target in force
        double minRPM = 0;
    };

    // One fan whose verdict changed with this update.
    struct Change {
        int fan = 0;
        bool notSpinning = false;
        friend bool operator==(const Change&, const Change&) = default;
    };

    // Readings in fan-index order at `seconds` (any monotonic origin). An empty list (fans
    // unreadable) changes nothing; a different fan count starts over.
    std::vector<Change> update(double seconds, const std::vector<Reading>& fans);

    bool isNotSpinning(int fan) const;
    // Indexes of the fans not spinning, ascending.
    std::vector<int> notSpinningFans() const;
    void reset() { m_fans.clear(); }

private:
    struct State {
        std::optional<double> lowSince;  // below a quarter of its target since
        std::optional<double> wellSince; // at three quarters or more since (while not spinning)
        bool notSpinning = false;
    };
    std::vector<State> m_fans;
};

} // namespace brisvane
