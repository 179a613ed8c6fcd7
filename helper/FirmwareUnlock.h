#pragma once
// Runs as root: the firmware's fan unlock (the Ftst key), which some Macs need set before their
// fans take manual mode. Its withdrawal, like a fan's mode, is owed until the SMC accepts it.

#include <memory>
#include <string_view>

namespace brisvane {

class HelperLog;
class SMCConnection;

class FirmwareUnlock {
public:
    static constexpr std::string_view kKey = "Ftst";

    explicit FirmwareUnlock(HelperLog& log);

    // Whether this Mac has the key; learnt at set-up, nothing is written without it.
    bool isPresent() const { return m_present; }
    void setPresent(bool present) { m_present = present; }

    // Sets the unlock; throws SMCError when refused. An owed withdrawal is no longer owed.
    void request(SMCConnection& smc);
    // Withdraws the unlock, or owes the withdrawal (logged once).
    void withdraw(SMCConnection& smc);
    bool isWithdrawalOwed() const { return m_withdrawalOwed; }
    // An unlock a previous run left set is withdrawn, or owed.
    void clearLeftover(SMCConnection& smc);

private:
    HelperLog& m_log;
    bool m_present = false;
    // Still set although a release withdrew it.
    bool m_withdrawalOwed = false;
};

} // namespace brisvane
