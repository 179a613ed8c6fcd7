#pragma once
// Runs as root: one fan as the controller knows it, from set-up to the hand-back to macOS: its
// range, its mode key, the speed macOS chose (the floor of control) and any hand-back still owed.

#include <cstdint>
#include <optional>
#include <string>

namespace brisvane {

class HelperLog;
class SMCConnection;
class SMCError;

class ControlledFan {
public:
    static constexpr std::uint8_t kModeManual = 1;
    static constexpr std::uint8_t kModeAutomatic = 0;

    // A fan whose range was read; `targetRPM` is macOS's choice at set-up, the first floor.
    ControlledFan(int index, double minRPM, double maxRPM, double targetRPM);
    // A fan the SMC counted but would not describe: no range, no floor until a tick reads one.
    static ControlledFan unread(int index);

    int index() const { return m_index; }
    double minRPM() const { return m_minRPM; }
    double maxRPM() const { return m_maxRPM; }
    // Absent on a Mac that exposes none for this fan: it can be watched but not switched.
    const std::optional<std::string>& modeKey() const { return m_modeKey; }
    void setModeKey(std::optional<std::string> key) { m_modeKey = std::move(key); }
    // RPM; absent only for an unread fan before its first refresh.
    std::optional<double> autoFloor() const { return m_autoFloor; }

    // Reads the target macOS chose; a failed or non-finite reading keeps the previous floor.
    void refreshAutoFloor(SMCConnection& smc);
    // Throws SMCError when the SMC refuses the write.
    void writeTarget(SMCConnection& smc, double targetRPM) const;

    // Beginning of control: the mode key set to manual. Throws SMCError when refused; once
    // taken, nothing is owed for this fan any more.
    void takeManual(SMCConnection& smc);
    // End of control: the mode written back to automatic. A refusal makes the hand-back owed
    // (unless the fan never left automatic), numbered `sequence` so that owed fans are written
    // again in the order they refused.
    void handBack(SMCConnection& smc, HelperLog& log, std::uint64_t sequence);
    // The owed hand-back written again; a refusal stays owed and silent.
    void retryHandBack(SMCConnection& smc, HelperLog& log);
    // A manual mode a previous run left is returned to automatic, or owed.
    void returnLeftoverManual(SMCConnection& smc, HelperLog& log, std::uint64_t sequence);

    bool isHandBackOwed() const { return m_owedSince.has_value(); }
    // The order in which owed hand-backs were refused; only while one is owed.
    std::uint64_t owedSince() const { return m_owedSince.value_or(0); }

private:
    std::string key(const char* suffix) const;
    void owe(SMCConnection& smc, HelperLog& log, const SMCError& error, std::uint64_t sequence);
    void settle(HelperLog& log);

    int m_index;
    double m_minRPM = 0.0;
    double m_maxRPM = 0.0;
    std::optional<std::string> m_modeKey;
    std::optional<double> m_autoFloor;
    std::optional<std::uint64_t> m_owedSince;
};

} // namespace brisvane
