// Runs as root: the fan controller's set-up, takeover, tick, target computation and release.
#include "FanController.h"

#include "DaemonUninstall.h"
#include "FanDiscovery.h"
#include "HelperLog.h"
#include "smc/SMCKit.h"
#include "smc/SMCTemperatureSensors.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <span>

namespace brisvane {
namespace {

// Sampling intervals of the hottest temperature, seconds.
constexpr double kHotCelsius = 50.0;
constexpr double kCoolControllingSampleSeconds = 3.0;
constexpr double kOtherPhaseSampleSeconds = 5.0;

const std::string kNoModeKeyMonitored =
    "This Mac exposes no fan mode key, so its fans can be monitored but not controlled.";
const std::string kNoModeKeySwitched =
    "This Mac exposes no fan mode key, so its fans cannot be switched to manual control.";

// Far enough back that every interval from it has run out, near enough that `now - it` cannot
// overflow.
constexpr Clock::time_point kDistantPast{Clock::duration::min() / 2};

// A fan the app sent no target for is driven at its floors.
double requestedFor(const std::vector<double>& requested, const ControlledFan& fan)
{
    const auto index = static_cast<std::size_t>(fan.index());
    return index < requested.size() ? requested[index] : 0.0;
}

std::vector<double> sanitisedTargets(std::vector<double> targets)
{
    for (double& target : targets) {
        if (!std::isfinite(target) || target < 0)
            target = 0;
    }
    return targets;
}

} // namespace

namespace {

std::optional<FanController::Options>& sharedOptions()
{
    static std::optional<FanController::Options> options;
    return options;
}

} // namespace

FanController& FanController::shared()
{
    // never destroyed
    static FanController* instance = new FanController(sharedOptions().value_or(Options{}));
    return *instance;
}

void FanController::configureShared(Options options)
{
    sharedOptions() = std::move(options);
}

FanController::FanController(Options options)
    : m_clock(options.clock ? *options.clock : SteadyClock::shared())
    , m_log(options.log ? *options.log : HelperLog::shared())
    , m_options(std::move(options))
    , m_unlock(m_log)
    , m_takeover(m_clock)
    , m_lastCommand(kDistantPast)
    , m_lastHottestSampledAt(kDistantPast)
    , m_queue(m_clock, m_options.controlThread)
{}

FanController::~FanController() = default;

bool FanController::isControlThread() const
{
    return m_queue.isRunningHere();
}

std::size_t FanController::poll()
{
    return m_queue.poll();
}

void FanController::runTick()
{
    m_queue.runAndWait([this] { tick(); });
}

double FanController::secondsSince(TimePoint then) const
{
    return Clock::secondsBetween(then, m_clock.now());
}

// Set-up and status

void FanController::start()
{
    m_queue.post([this] { setUp(); });
}

void FanController::setUp()
{
    trySetUp();
    startTickTimer();
}

void FanController::trySetUp()
{
    FanInventory inventory;
    try {
        inventory = FanDiscovery::discover(m_clock);
    } catch (const SMCError& error) {
        setUpFailed(error);
        return;
    }
    if (inventory.refusal) {
        const SMCError refusal = *inventory.refusal;
        adopt(std::move(inventory));
        setUpFailed(refusal);
        return;
    }
    m_setUpRetryAt.reset();
    m_lastError.reset(); // an earlier attempt's failure no longer holds
    const std::string lookups = FanDiscovery::describeLookups(inventory.modeKeyLookups);
    adopt(std::move(inventory));
    if (!m_canControlFans) {
        m_lastError = kNoModeKeyMonitored;
        m_log.error("no mode key for some fan: %s", lookups.c_str());
    }

    // A daemon that died while controlling left its fans manual and its unlock set: mode keys
    // first, unlock last, as in a release.
    for (ControlledFan& fan : m_fans)
        fan.returnLeftoverManual(*m_smc, m_log, ++m_handBackRefusals);
    m_unlock.clearLeftover(*m_smc);

    const std::string maxima = FanDiscovery::describeMaxima(m_fans);
    const std::string keys = FanDiscovery::describeModeKeys(m_fans);
    m_log.info("helper up: %d fans, max %s, modeKeys %s, Ftst %s, control %s",
               static_cast<int>(m_fans.size()), maxima.c_str(), keys.c_str(),
               m_unlock.isPresent() ? "present" : "absent",
               m_canControlFans ? "available" : "UNAVAILABLE");
}

void FanController::adopt(FanInventory inventory)
{
    m_canControlFans = inventory.canControlFans();
    m_smc = std::move(inventory.smc);
    m_sensors = std::move(inventory.sensors);
    m_fans = std::move(inventory.fans);
    m_unlock.setPresent(inventory.hasForceTestKey);
}

void FanController::setUpFailed(const SMCError& error)
{
    const std::string message = "SMC unavailable: " + error.description();
    // A retry that fails the same way says nothing new.
    if (!m_setUpRetryAt || m_lastError != message)
        m_log.error("SMC setup failed: %s", error.description().c_str());
    m_lastError = message;
    if (!error.isTransportFailure()) {
        // The SMC answered: the machine is as it is, and set-up is not tried again.
        m_setUpRetryAt.reset();
        return;
    }
    // Nothing half-learnt stays behind for ticks or takeovers to use.
    m_smc.reset();
    m_sensors.reset();
    m_fans.clear();
    m_setUpBackoffSeconds =
        m_setUpRetryAt ? std::min(m_setUpBackoffSeconds * 2, kSetUpBackoffLimitSeconds) : 1.0;
    m_setUpRetryAt = m_clock.now() + std::chrono::duration_cast<Clock::duration>(
                                         std::chrono::duration<double>(m_setUpBackoffSeconds));
}

void FanController::startTickTimer()
{
    if (m_options.tickTimer)
        m_queue.startTicks([this] { tick(); });
}

void FanController::status(std::function<void(std::vector<std::uint8_t>)> reply)
{
    m_queue.post([this, reply = std::move(reply)] {
        HelperStatus status;
        status.version = std::string(HelperConstants::helperVersion);
        status.phase = m_takeover.phase();
        // Fans the SMC would not describe have no floor until a tick reads one.
        for (const ControlledFan& fan : m_fans) {
            if (fan.autoFloor())
                status.autoFloors.push_back(*fan.autoFloor());
        }
        status.effectiveTargets = m_effectiveTargets;
        status.hottestSensorCelsius = m_lastHottest;
        status.lastError = m_lastError;
        reply(status.encode());
    });
}

// Takeover

void FanController::setTargets(std::vector<double> targets,
                               std::function<void(std::vector<double>)> reply)
{
    m_queue.post([this, targets = std::move(targets), reply = std::move(reply)] {
        m_requestedTargets = sanitisedTargets(targets);
        m_lastCommand = m_clock.now();
        pursueRequest();
        reply(m_effectiveTargets);
    });
}

void FanController::pursueRequest()
{
    switch (m_takeover.phase()) {
    case HelperControlPhase::idle:
    case HelperControlPhase::failed:
        beginTakeover();
        break;
    case HelperControlPhase::unlocking:
        continueUnlock();
        break;
    case HelperControlPhase::controlling:
        applyTargets();
        break;
    }
}

void FanController::beginTakeover()
{
    if (!m_smc || !m_takeover.mayBegin())
        return;
    if (!m_canControlFans) {
        failTakeover(kNoModeKeySwitched);
        return;
    }
    // A mode still owed stays owed until this takeover sets it manual: a fan the takeover does
    // not reach is handed back meanwhile.
    try {
        m_unlock.request(*m_smc);
    } catch (const SMCError& error) {
        failTakeover("Firmware unlock request failed: " + error.description());
        return;
    }
    m_takeover.begin();
    m_log.info("takeover started; retrying manual mode until the firmware accepts it");
    continueUnlock();
}

void FanController::continueUnlock()
{
    if (!m_smc)
        return;
    for (ControlledFan& fan : m_fans) {
        try {
            fan.takeManual(*m_smc);
        } catch (const SMCError& error) {
            if (m_takeover.isWithinUnlockDeadline()) {
                // The next tick or request tries again from the first fan. Meanwhile the fans
                // that did take manual mode are driven, and those it has not reached are handed
                // back if still owed: none waits for the others at a target set for cooler times.
                if (writeTargets(fan.index()))
                    finishHandBack();
                return;
            }
            // A fan that took manual mode before another refused would otherwise stay manual,
            // its target unwritten, for as long as the app keeps asking: hand it back now.
            returnModesToAutomatic();
            m_unlock.withdraw(*m_smc);
            failTakeover("The firmware did not grant fan control within " +
                         std::to_string(static_cast<int>(Takeover::kUnlockDeadlineSeconds)) +
                         " s (last error: " + error.description() + ")");
            return;
        }
    }
    m_takeover.engage();
    m_lastError.reset();
    m_log.info("manual mode engaged after %ld s",
               static_cast<long>(std::trunc(m_takeover.secondsUnlocking())));
    applyTargets();
}

void FanController::failTakeover(const std::string& message)
{
    m_takeover.fail();
    m_lastError = message;
    m_log.error("takeover failed: %s", message.c_str());
}

// Tick, targets and release

void FanController::tick()
{
    if (m_setUpRetryAt && m_clock.now() >= *m_setUpRetryAt)
        trySetUp();
    if (!m_smc || m_fans.empty())
        return;
    const bool fresh =
        m_requestedTargets && secondsSince(m_lastCommand) < HelperConstants::heartbeatTimeout;

    double interval = kOtherPhaseSampleSeconds;
    if (m_takeover.phase() == HelperControlPhase::controlling)
        interval = m_lastHottest >= kHotCelsius ? 0.0 : kCoolControllingSampleSeconds;
    sampleHottest(interval);

    if (fresh) {
        const bool wasOutOfControl = m_takeover.isOutOfControl();
        // The fans are still macOS's (through a failed takeover's back-off, say): what it
        // chooses meanwhile is the floor of the next takeover.
        if (wasOutOfControl)
            refreshAutoFloors();
        pursueRequest();
        // Still out of control (the back-off after a failed takeover): finish the hand-back.
        if (wasOutOfControl && m_takeover.isOutOfControl())
            finishHandBack();
        return;
    }

    if (m_requestedTargets) {
        m_log.error("heartbeat timeout - releasing fans");
        m_requestedTargets.reset();
    }
    // A release writes every key; already released, only what is still owed is written.
    if (m_takeover.phase() == HelperControlPhase::idle)
        finishHandBack();
    else
        releaseToMacOS();
    refreshAutoFloors();
}

void FanController::sampleHottest(double intervalSeconds)
{
    if (!m_sensors)
        return;
    if (secondsSince(m_lastHottestSampledAt) >= intervalSeconds) {
        m_lastHottest = m_sensors->snapshot().hottest;
        m_lastHottestSampledAt = m_clock.now();
    }
}

void FanController::refreshAutoFloors()
{
    for (ControlledFan& fan : m_fans)
        fan.refreshAutoFloor(*m_smc);
}

void FanController::applyTargets()
{
    if (!m_smc || !m_requestedTargets)
        return;
    if (std::optional<std::vector<double>> written = writeTargets(static_cast<int>(m_fans.size())))
        m_effectiveTargets = std::move(*written);
}

double FanController::effectiveTarget(double requested, double autoFloor, double floorPercent,
                                      double minRPM, double maxRPM)
{
    const double safety =
        floorPercent > 0 ? minRPM + (floorPercent / 100.0) * (maxRPM - minRPM) : 0.0;
    return std::min(std::max({requested, safety, autoFloor}), maxRPM);
}

std::optional<std::vector<double>> FanController::writeTargets(int count)
{
    if (!m_smc || !m_requestedTargets || count <= 0)
        return std::vector<double>{};
    sampleHottest(m_lastHottest >= kHotCelsius ? 0.0 : kCoolControllingSampleSeconds);
    const double floor = HelperSafetyFloor::floorPercent(m_lastHottest);
    std::vector<double> written;
    written.reserve(count);
    for (const ControlledFan& fan : std::span(m_fans).first(static_cast<std::size_t>(count))) {
        const double target =
            effectiveTarget(requestedFor(*m_requestedTargets, fan), fan.autoFloor().value_or(0.0),
                            floor, fan.minRPM(), fan.maxRPM());
        try {
            fan.writeTarget(*m_smc, target);
        } catch (const SMCError& error) {
            m_lastError = "Applying fan targets failed: " + error.description();
            m_log.error("SMC write failed (%s) - full release", error.description().c_str());
            m_requestedTargets.reset();
            releaseToMacOS();
            return std::nullopt;
        }
        written.push_back(target);
    }
    return written;
}

void FanController::releaseToMacOS()
{
    if (m_takeover.phase() == HelperControlPhase::idle)
        return;
    if (m_smc) {
        returnModesToAutomatic();
        m_unlock.withdraw(*m_smc);
    }
    // Only a complete hand-back is reported as one; a refused key says so itself.
    const bool wasControlling = m_takeover.phase() == HelperControlPhase::controlling;
    if (wasControlling && std::none_of(m_fans.begin(), m_fans.end(), [](const ControlledFan& fan) {
            return fan.isHandBackOwed();
        }))
        m_log.info("fans returned to macOS control");
    m_takeover.release();
    m_effectiveTargets.clear();
}

void FanController::returnModesToAutomatic()
{
    for (ControlledFan& fan : m_fans)
        fan.handBack(*m_smc, m_log, ++m_handBackRefusals);
}

bool FanController::isHandBackOwed() const
{
    return m_unlock.isWithdrawalOwed() ||
           std::any_of(m_fans.begin(), m_fans.end(),
                       [](const ControlledFan& fan) { return fan.isHandBackOwed(); });
}

void FanController::finishHandBack()
{
    if (!m_smc || !isHandBackOwed())
        return;
    std::vector<ControlledFan*> owed;
    for (ControlledFan& fan : m_fans) {
        if (fan.isHandBackOwed())
            owed.push_back(&fan);
    }
    std::sort(owed.begin(), owed.end(), [](const ControlledFan* a, const ControlledFan* b) {
        return a->owedSince() < b->owedSince();
    });
    for (ControlledFan* fan : owed)
        fan->retryHandBack(*m_smc, m_log);
    if (m_unlock.isWithdrawalOwed())
        m_unlock.withdraw(*m_smc);
}

void FanController::releaseControl(std::function<void()> reply)
{
    m_queue.post([this, reply = std::move(reply)] {
        m_requestedTargets.reset();
        releaseToMacOS();
        reply();
    });
}

void FanController::emergencyReleaseSync()
{
    m_queue.runAndWait([this] {
        m_requestedTargets.reset();
        releaseToMacOS();
    });
}

// Ending the process

void FanController::shutDown(std::function<void()> reply)
{
    m_queue.post([this, reply = std::move(reply)] {
        m_requestedTargets.reset();
        releaseToMacOS();
        m_log.info("shutdown requested by the app; exiting");
        reply();
        scheduleExit();
    });
}

void FanController::uninstall(std::function<void(bool)> reply)
{
    m_queue.post([this, reply = std::move(reply)] {
        m_requestedTargets.reset();
        releaseToMacOS();
        DaemonUninstall::removeInstalledFiles();
        m_log.info("uninstalled; exiting");
        reply(true);
        scheduleExit();
    });
}

void FanController::scheduleExit()
{
    // exit() may run only once: a second shutDown within the delay schedules nothing more.
    if (m_exitScheduled)
        return;
    m_exitScheduled = true;
    // Off the control thread, so that the exit handler's release can still run on it.
    std::function<void()> action = m_options.exitAction;
    if (!action)
        action = [] { std::exit(0); };
    std::thread([action = std::move(action)] {
        std::this_thread::sleep_for(std::chrono::duration<double>(kExitDelaySeconds));
        action();
    }).detach();
}

} // namespace brisvane
