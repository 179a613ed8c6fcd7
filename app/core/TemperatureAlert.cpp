#include "app/core/TemperatureAlert.h"

#include <cmath>

namespace brisvane {

TemperatureAlert::Event TemperatureAlert::setThreshold(std::optional<double> celsius)
{
    if (celsius && !(std::isfinite(*celsius) && *celsius > 0))
        celsius.reset();
    if (celsius == m_threshold)
        return Event::none;
    m_threshold = celsius;
    m_hotSince.reset();
    const bool was = m_raised;
    m_raised = false;
    return was ? Event::cleared : Event::none;
}

TemperatureAlert::Event TemperatureAlert::update(double seconds, double hottestCelsius)
{
    if (!m_threshold || !std::isfinite(hottestCelsius))
        return Event::none;
    if (m_raised) {
        if (hottestCelsius <= *m_threshold - kRearmBelowCelsius) {
            m_raised = false;
            m_hotSince.reset();
            return Event::cleared;
        }
        return Event::none;
    }
    if (hottestCelsius < *m_threshold) {
        m_hotSince.reset();
        return Event::none;
    }
    if (!m_hotSince)
        m_hotSince = seconds;
    if (seconds - *m_hotSince >= kHoldSeconds) {
        m_raised = true;
        return Event::raised;
    }
    return Event::none;
}

} // namespace brisvane
