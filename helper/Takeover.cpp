// Runs as root: the takeover's transitions.
#include "Takeover.h"

#include <chrono>

namespace brisvane {
namespace {

// Far enough back that every interval from it has run out, near enough that `now - it` cannot
// overflow.
constexpr Clock::time_point kDistantPast{Clock::duration::min() / 2};

} // namespace

Takeover::Takeover(const Clock& clock)
    : m_clock(clock)
    , m_unlockRequestedAt(kDistantPast)
    , m_retryBlockedUntil(kDistantPast)
{}

bool Takeover::isOutOfControl() const
{
    return m_phase == HelperControlPhase::idle || m_phase == HelperControlPhase::failed;
}

bool Takeover::mayBegin() const
{
    return m_clock.now() >= m_retryBlockedUntil;
}

bool Takeover::isWithinUnlockDeadline() const
{
    return secondsUnlocking() <= kUnlockDeadlineSeconds;
}

double Takeover::secondsUnlocking() const
{
    return Clock::secondsBetween(m_unlockRequestedAt, m_clock.now());
}

void Takeover::begin()
{
    m_phase = HelperControlPhase::unlocking;
    m_unlockRequestedAt = m_clock.now();
}

void Takeover::engage()
{
    m_phase = HelperControlPhase::controlling;
}

void Takeover::fail()
{
    m_phase = HelperControlPhase::failed;
    m_retryBlockedUntil = m_clock.now() + std::chrono::duration_cast<Clock::duration>(
                                              std::chrono::duration<double>(kRetryBackoffSeconds));
}

void Takeover::release()
{
    m_phase = HelperControlPhase::idle;
}

} // namespace brisvane
