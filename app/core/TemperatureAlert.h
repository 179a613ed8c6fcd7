#pragma once
// The too-hot alert: when the hottest die stays at or above the user's threshold for 10 s it
// fires once, and stays raised until the die has fallen 5 °C below the threshold, which re-arms
// it. The gap keeps a machine hovering at the threshold from alerting again and again. No
// threshold (or 0) is off. Pure: the caller supplies the times.

#include <optional>

namespace brisvane {

class TemperatureAlert {
public:
    static constexpr double kHoldSeconds = 10.0;
    static constexpr double kRearmBelowCelsius = 5.0;

    enum class Event { none, raised, cleared };

    // Nothing, 0 or less, or not a number: off. A new threshold starts over (clearing a raised
    // alert).
    Event setThreshold(std::optional<double> celsius);
    std::optional<double> threshold() const { return m_threshold; }

    // The hottest die at `seconds` (any monotonic origin).
    Event update(double seconds, double hottestCelsius);

    // Fired and not yet re-armed.
    bool isRaised() const { return m_raised; }

private:
    std::optional<double> m_threshold;
    std::optional<double> m_hotSince;
    bool m_raised = false;
};

} // namespace brisvane
