// Runs as root: writes of the firmware's fan unlock.
#include "FirmwareUnlock.h"

#include "HelperLog.h"
#include "smc/SMCKit.h"

#include <cstdint>

namespace brisvane {
namespace {

constexpr std::uint8_t kUnlockRequest = 1;
constexpr std::uint8_t kUnlockWithdraw = 0;

} // namespace

FirmwareUnlock::FirmwareUnlock(HelperLog& log)
    : m_log(log)
{}

void FirmwareUnlock::request(SMCConnection& smc)
{
    if (m_present)
        smc.writeUInt8(kKey, kUnlockRequest);
    // The unlock is wanted again.
    m_withdrawalOwed = false;
}

void FirmwareUnlock::withdraw(SMCConnection& smc)
{
    if (!m_present)
        return;
    try {
        smc.writeUInt8(kKey, kUnlockWithdraw);
    } catch (const SMCError& error) {
        if (!m_withdrawalOwed)
            m_log.error("Ftst release failed: %s", error.description().c_str());
        m_withdrawalOwed = true;
        return;
    }
    if (m_withdrawalOwed)
        m_log.info("Ftst accepted 0 - firmware unlock withdrawn");
    m_withdrawalOwed = false;
}

void FirmwareUnlock::clearLeftover(SMCConnection& smc)
{
    if (!m_present)
        return;
    std::uint8_t unlock;
    try {
        unlock = smc.readUInt8(kKey);
    } catch (const SMCError&) {
        return;
    }
    if (unlock == 0)
        return;
    try {
        smc.writeUInt8(kKey, kUnlockWithdraw);
    } catch (const SMCError& error) {
        m_log.error("could not clear leftover firmware unlock: %s", error.description().c_str());
        // Ticks write it again until the SMC takes it.
        m_withdrawalOwed = true;
        return;
    }
    m_log.info("cleared leftover firmware unlock from a previous run");
}

} // namespace brisvane
