// Runs as root: one fan's target and mode writes, and the hand-back that is owed until it lands.
#include "ControlledFan.h"

#include "HelperLog.h"
#include "smc/SMCKit.h"

#include <cmath>

namespace brisvane {

ControlledFan::ControlledFan(int index, double minRPM, double maxRPM, double targetRPM)
    : m_index(index)
    , m_minRPM(minRPM)
    , m_maxRPM(maxRPM)
    // A target the status could not carry as JSON counts as none.
    , m_autoFloor(std::isfinite(targetRPM) ? targetRPM : 0.0)
{}

ControlledFan ControlledFan::unread(int index)
{
    ControlledFan fan(index, 0.0, 0.0, 0.0);
    fan.m_autoFloor.reset();
    return fan;
}

std::string ControlledFan::key(const char* suffix) const
{
    return "F" + std::to_string(m_index) + suffix;
}

void ControlledFan::refreshAutoFloor(SMCConnection& smc)
{
    double floor = m_autoFloor.value_or(0.0);
    try {
        const double target = smc.readFloat(key("Tg"));
        // A non-finite target is no speed macOS chose, and would make the status unencodable.
        if (std::isfinite(target))
            floor = target;
    } catch (const SMCError&) {
        // The previous floor stays in force.
    }
    m_autoFloor = floor;
}

void ControlledFan::writeTarget(SMCConnection& smc, double targetRPM) const
{
    smc.writeFloat(key("Tg"), static_cast<float>(targetRPM));
}

void ControlledFan::takeManual(SMCConnection& smc)
{
    if (!m_modeKey)
        return;
    smc.writeUInt8(*m_modeKey, kModeManual);
    m_owedSince.reset();
}

void ControlledFan::handBack(SMCConnection& smc, HelperLog& log, std::uint64_t sequence)
{
    if (!m_modeKey)
        return;
    try {
        smc.writeUInt8(*m_modeKey, kModeAutomatic);
        settle(log);
    } catch (const SMCError& error) {
        log.debug("mode release skipped for %s: %s", m_modeKey->c_str(),
                  error.description().c_str());
        owe(smc, log, error, sequence);
    }
}

void ControlledFan::retryHandBack(SMCConnection& smc, HelperLog& log)
{
    if (!m_modeKey || !m_owedSince)
        return;
    try {
        smc.writeUInt8(*m_modeKey, kModeAutomatic);
        settle(log);
    } catch (const SMCError&) {
        // Still owed: the first refusal was logged, the next tick writes it again.
    }
}

void ControlledFan::returnLeftoverManual(SMCConnection& smc, HelperLog& log, std::uint64_t sequence)
{
    if (!m_modeKey)
        return;
    const char* modeKey = m_modeKey->c_str();
    std::uint8_t mode;
    try {
        mode = smc.readUInt8(*m_modeKey);
    } catch (const SMCError&) {
        return; // an unreadable mode cannot be judged; the first release writes it anyway
    }
    if (mode == kModeAutomatic)
        return;
    try {
        smc.writeUInt8(*m_modeKey, kModeAutomatic);
        log.info("returned fan mode %s to automatic, left by a previous run", modeKey);
    } catch (const SMCError& error) {
        log.error("could not return fan mode %s to automatic: %s", modeKey,
                  error.description().c_str());
        // Ticks write it again until the SMC takes it, as after a refused release.
        m_owedSince = sequence;
    }
}

void ControlledFan::owe(SMCConnection& smc, HelperLog& log, const SMCError& error,
                        std::uint64_t sequence)
{
    if (m_owedSince)
        return;
    // A fan that never took manual mode (a takeover it refused) owes nothing. After a transport
    // failure the SMC is not asked: it would not answer either, and the mode is unknown.
    if (!error.isTransportFailure()) {
        try {
            if (smc.readUInt8(*m_modeKey) == kModeAutomatic)
                return;
        } catch (const SMCError&) {
            // Unreadable: it may well be manual.
        }
    }
    m_owedSince = sequence;
    log.error("fan mode %s refused automatic (%s) - writing it again every tick",
              m_modeKey->c_str(), error.description().c_str());
}

void ControlledFan::settle(HelperLog& log)
{
    if (!m_owedSince)
        return;
    m_owedSince.reset();
    log.info("fan mode %s accepted automatic - fan returned to macOS control", m_modeKey->c_str());
}

} // namespace brisvane
