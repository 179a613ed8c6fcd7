#pragma once
// The SMC firmware's side of the fans: its own fan curve while a fan's mode byte is 0, the
// force-test unlock (Ftst) that must be held for a delay before a manual mode write is taken,
// and the fans themselves, whose actual speed follows the target with a lag and a little
// noise. It works on the key directory's bytes, so every SMC reader sees what it does.

#include "KeyDirectory.h"
#include "MachineProfile.h"

#include <cstdint>
#include <optional>
#include <random>
#include <vector>

namespace brisvane {

class VirtualFirmware {
public:
    struct Fan {
        int index = 0;
        SmcKeyEntry* actual = nullptr;
        SmcKeyEntry* target = nullptr;
        SmcKeyEntry* min = nullptr;
        SmcKeyEntry* max = nullptr;
        SmcKeyEntry* mode = nullptr; // F<i>Md, else F<i>md, else none (always automatic)
        double smoothRPM = 0;        // the rotor's speed without the reading's noise
        // The last two targets the firmware set; a reader polling once a second may have seen
        // either, which is the allowance the safety monitor gives.
        double firmwareTarget = 0;
        double previousFirmwareTarget = 0;
        // What the firmware had chosen when the takeover of this fan began.
        double takeoverReference = 0;
        bool manual = false;
        // A blocked rotor: it winds down to 0 whatever its target and mode.
        bool stalled = false;
        double manualSince = 0;
        std::optional<double> lastTargetWrite;

        double minRPM() const;
        double maxRPM() const;
        double targetRPM() const;
    };

    VirtualFirmware(KeyDirectory& keys, const FirmwareBehaviour& behaviour,
                    const FanDynamics& dynamics);

    // The firmware's verdict on a write to Ftst or a mode key; nothing for ordinary keys.
    std::optional<std::uint8_t>
    screenWrite(const SmcKeyEntry& key, const std::vector<std::uint8_t>& bytes, double now) const;
    // After any write was applied (by a client or directly): unlocks, targets, mode changes.
    void noteWrite(const SmcKeyEntry& key, double now);
    // The firmware's once-a-second control pass: automatic fans get the curve's target.
    void control(double hottestCelsius);
    void stepFans(double dt, double now);

    // Mean of actual/max over the fans, 0…1; 0 without fans.
    double airflow() const;
    const std::vector<Fan>& fans() const { return m_fans; }
    bool hasUnlockKey() const { return m_unlock != nullptr; }
    bool unlockHeld() const;

    std::optional<double> acceptModeAfter() const { return m_acceptModeAfter; }
    void setAcceptModeAfter(std::optional<double> seconds) { m_acceptModeAfter = seconds; }
    void setNoise(double amplitudeRPM, std::uint32_t seed);
    // False when there is no fan of that index.
    bool setStalled(int index, bool stalled);
    double curveRPM(const Fan& fan, double hottestCelsius) const;

private:
    void noteModes(double now);

    FirmwareBehaviour m_behaviour;
    FanDynamics m_dynamics;
    std::optional<double> m_acceptModeAfter;
    SmcKeyEntry* m_unlock = nullptr;
    std::optional<double> m_unlockedAt;
    std::vector<Fan> m_fans;
    std::mt19937 m_random;
};

} // namespace brisvane
