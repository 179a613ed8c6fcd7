#pragma once
// Runs as root: the phases of taking the fans from macOS and the times that move them on. It
// decides; the controller does the SMC writes each phase asks for.
//
//   idle/failed --begin--> unlocking --engage--> controlling
//   unlocking --fail (deadline passed)--> failed (no new begin for the back-off)
//   any --release--> idle

#include "shared/HelperShared.h"
#include "smc/Clock.h"

namespace brisvane {

class Takeover {
public:
    // How long the firmware may refuse manual mode before the takeover gives up.
    static constexpr double kUnlockDeadlineSeconds = 15.0;
    // How long after a failure no takeover begins.
    static constexpr double kRetryBackoffSeconds = 20.0;

    explicit Takeover(const Clock& clock);

    HelperControlPhase phase() const { return m_phase; }
    // The fans are macOS's: nothing taken, or a takeover failed.
    bool isOutOfControl() const;
    // False during the back-off after a failure.
    bool mayBegin() const;
    bool isWithinUnlockDeadline() const;
    double secondsUnlocking() const;

    void begin();
    void engage();
    void fail();
    void release();

private:
    const Clock& m_clock;
    HelperControlPhase m_phase = HelperControlPhase::idle;
    Clock::time_point m_unlockRequestedAt;
    Clock::time_point m_retryBlockedUntil;
};

} // namespace brisvane
