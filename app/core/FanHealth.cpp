#include "app/core/FanHealth.h"

#include <cmath>

namespace brisvane {

std::vector<FanHealth::Change> FanHealth::update(double seconds, const std::vector<Reading>& fans)
{
    std::vector<Change> changes;
    if (fans.empty())
        return changes;
    if (fans.size() != m_fans.size()) {
        for (int i = 0; i < static_cast<int>(m_fans.size()); ++i)
            if (m_fans[i].notSpinning)
                changes.push_back({i, false});
        m_fans.assign(fans.size(), State{});
    }
    for (int i = 0; i < static_cast<int>(fans.size()); ++i) {
        const Reading& fan = fans[i];
        State& state = m_fans[i];
        const bool judged = std::isfinite(fan.actualRPM) && std::isfinite(fan.targetRPM) &&
                            fan.targetRPM > 0 && fan.targetRPM >= fan.minRPM;
        if (!judged) {
            // Parked (or unreadable): nothing is asked of the rotor, so nothing is wrong.
            const bool was = state.notSpinning;
            state = State{};
            if (was)
                changes.push_back({i, false});
            continue;
        }
        const bool low = fan.actualRPM < kStallFraction * fan.targetRPM;
        const bool well = fan.actualRPM >= kWellFraction * fan.targetRPM;
        if (!state.notSpinning) {
            if (!low) {
                state.lowSince.reset();
                continue;
            }
            if (!state.lowSince)
                state.lowSince = seconds;
            if (seconds - *state.lowSince >= kStallSeconds) {
                state.notSpinning = true;
                state.wellSince.reset();
                changes.push_back({i, true});
            }
            continue;
        }
        if (!well) {
            state.wellSince.reset();
            continue;
        }
        if (!state.wellSince)
            state.wellSince = seconds;
        if (seconds - *state.wellSince >= kRecoverySeconds) {
            state = State{};
            changes.push_back({i, false});
        }
    }
    return changes;
}

bool FanHealth::isNotSpinning(int fan) const
{
    return fan >= 0 && fan < static_cast<int>(m_fans.size()) && m_fans[fan].notSpinning;
}

std::vector<int> FanHealth::notSpinningFans() const
{
    std::vector<int> fans;
    for (int i = 0; i < static_cast<int>(m_fans.size()); ++i)
        if (m_fans[i].notSpinning)
            fans.push_back(i);
    return fans;
}

} // namespace brisvane
