// Runs as root: the fan controller's set-up, takeover, tick, target computation and release.
#include "FanController.h"

#include "HelperLog.h"
#include "smc/SMCKit.h"
#include "smc/SMCTemperatureSensors.h"

#include <asio/post.hpp>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <future>

namespace brisvane {
namespace {

using namespace std::chrono_literals;

constexpr std::string_view kForceTestKey = "Ftst";
constexpr std::uint8_t kModeManual = 1;
constexpr std::uint8_t kModeAutomatic = 0;
constexpr std::uint8_t kUnlockRequest = 1;
constexpr std::uint8_t kUnlockWithdraw = 0;
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

std::string fanKey(int index, const char* suffix)
{
    return "F" + std::to_string(index) + suffix;
}

std::string formatNumber(double value)
{
    char text[32];
    auto [end, ec] = std::to_chars(std::begin(text), std::end(text), value);
    return ec == std::errc() ? std::string(text, end) : std::string("?");
}

template <typename T, typename Format>
std::string formatList(const std::vector<T>& items, Format format)
{
    std::string text = "[";
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0)
            text += ", ";
        text += format(items[i]);
    }
    return text + "]";
}

double valueAt(const std::vector<double>& list, int index)
{
    return index >= 0 && static_cast<std::size_t>(index) < list.size() ? list[index] : 0.0;
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
    , m_work(asio::make_work_guard(m_queue))
    , m_unlockRequestedAt(kDistantPast)
    , m_retryBlockedUntil(kDistantPast)
    , m_lastCommand(kDistantPast)
    , m_lastHottestSampledAt(kDistantPast)
{
    if (m_options.controlThread)
        m_thread = std::thread([this] { m_queue.run(); });
}

FanController::~FanController()
{
    m_work.reset();
    m_queue.stop();
    if (m_thread.joinable())
        m_thread.join();
}

bool FanController::isControlThread() const
{
    return m_queue.get_executor().running_in_this_thread();
}

void FanController::post(std::function<void()> work)
{
    asio::post(m_queue, std::move(work));
}

std::size_t FanController::poll()
{
    if (m_options.controlThread)
        return 0; // the control thread runs the handlers
    const std::size_t count = m_queue.poll();
    m_queue.restart();
    return count;
}

void FanController::runAndWait(const std::function<void()>& work)
{
    if (isControlThread()) {
        work();
        return;
    }
    if (!m_options.controlThread) {
        // The caller drives the executor: whatever was queued before still runs first.
        post(work);
        poll();
        return;
    }
    std::promise<void> done;
    std::future<void> finished = done.get_future();
    post([&] {
        try {
            work();
            done.set_value();
        } catch (...) {
            done.set_exception(std::current_exception());
        }
    });
    finished.get();
}

void FanController::runTick()
{
    runAndWait([this] { tick(); });
}

double FanController::secondsSince(TimePoint then) const
{
    return Clock::secondsBetween(then, m_clock.now());
}

// Set-up and status

void FanController::start()
{
    post([this] { setUp(); });
}

void FanController::setUp()
{
    trySetUp();
    startTickTimer();
}

void FanController::trySetUp()
{
    try {
        m_smc = std::make_shared<SMCConnection>();
    } catch (const SMCError& error) {
        setUpFailed(error);
        return;
    }
    // FNum first: an SMC that does not answer is found out before a sensor directory walk.
    // A machine without FNum has no fans; an SMC that did not answer is another matter.
    try {
        const SMCValue count = m_smc->readBytes("FNum");
        m_fanCount = count.data.empty() ? 0 : count.data[0];
    } catch (const SMCError& error) {
        if (isTransportFailure(error)) {
            setUpFailed(error);
            return;
        }
        m_fanCount = 0;
    }
    m_sensors = std::make_unique<SMCTemperatureSensors>(m_smc, m_clock);

    std::vector<SMCFanReading> fans;
    try {
        for (int i = 0; i < m_fanCount; ++i)
            fans.push_back(m_smc->readFan(i));
    } catch (const SMCError& error) {
        setUpFailed(error);
        return;
    }
    m_setUpRetryAt.reset();
    m_lastError.reset(); // an earlier attempt's failure no longer holds
    for (const SMCFanReading& fan : fans) {
        m_minRPMs.push_back(fan.minRPM);
        m_maxRPMs.push_back(fan.maxRPM);
        // A target the status could not carry as JSON counts as none.
        m_autoFloors.push_back(std::isfinite(fan.targetRPM) ? fan.targetRPM : 0.0);
    }

    std::vector<std::optional<std::string>> lookups;
    for (int i = 0; i < m_fanCount; ++i) {
        lookups.push_back(m_smc->fanModeKey(i));
        if (lookups.back())
            m_modeKeys.push_back(*lookups.back());
    }
    m_canControlFans = m_fanCount >= 1 && m_modeKeys.size() == static_cast<std::size_t>(m_fanCount);
    if (!m_canControlFans) {
        m_lastError = kNoModeKeyMonitored;
        const std::string found = formatList(
            lookups, [](const std::optional<std::string>& key) { return key ? *key : "none"; });
        m_log.error("no mode key for some fan: %s", found.c_str());
    }

    m_hasForceTestKey = m_smc->keyExists(kForceTestKey);
    // A daemon that died while controlling left its fans manual and its unlock set: mode keys
    // first, unlock last, as in a release.
    returnLeftoverManualModes();
    clearLeftoverUnlock();

    const std::string maxima = formatList(m_maxRPMs, formatNumber);
    const std::string keys = formatList(m_modeKeys, [](const std::string& key) { return key; });
    m_log.info("helper up: %d fans, max %s, modeKeys %s, Ftst %s, control %s", m_fanCount,
               maxima.c_str(), keys.c_str(), m_hasForceTestKey ? "present" : "absent",
               m_canControlFans ? "available" : "UNAVAILABLE");
}

bool FanController::isTransportFailure(const SMCError& error)
{
    switch (error.kind()) {
    case SMCError::Kind::serviceNotFound:
    case SMCError::Kind::openFailed:
    case SMCError::Kind::callFailed:
        return true;
    case SMCError::Kind::keyError:
    case SMCError::Kind::typeMismatch:
    case SMCError::Kind::sizeMismatch:
        return false;
    }
    return false;
}

void FanController::setUpFailed(const SMCError& error)
{
    const std::string message = "SMC unavailable: " + error.description();
    // A retry that fails the same way says nothing new.
    if (!m_setUpRetryAt || m_lastError != message)
        m_log.error("SMC setup failed: %s", error.description().c_str());
    m_lastError = message;
    if (!isTransportFailure(error)) {
        // The SMC answered: the machine is as it is, and set-up is not tried again.
        m_setUpRetryAt.reset();
        return;
    }
    // Nothing half-learnt stays behind for ticks or takeovers to use.
    m_smc.reset();
    m_sensors.reset();
    m_fanCount = 0;
    m_minRPMs.clear();
    m_maxRPMs.clear();
    m_autoFloors.clear();
    m_setUpBackoffSeconds =
        m_setUpRetryAt ? std::min(m_setUpBackoffSeconds * 2, kSetUpBackoffLimitSeconds) : 1.0;
    m_setUpRetryAt = m_clock.now() + std::chrono::duration_cast<Clock::duration>(
                                         std::chrono::duration<double>(m_setUpBackoffSeconds));
}

void FanController::returnLeftoverManualModes()
{
    for (const std::string& key : m_modeKeys) {
        std::uint8_t mode;
        try {
            mode = m_smc->readUInt8(key);
        } catch (const SMCError&) {
            continue; // an unreadable mode cannot be judged; the first release writes it anyway
        }
        if (mode == kModeAutomatic)
            continue;
        try {
            m_smc->writeUInt8(key, kModeAutomatic);
            m_log.info("returned fan mode %s to automatic, left by a previous run", key.c_str());
        } catch (const SMCError& error) {
            m_log.error("could not return fan mode %s to automatic: %s", key.c_str(),
                        error.description().c_str());
            // Ticks write it again until the SMC takes it, as after a refused release.
            m_modesOwed.push_back(key);
        }
    }
}

void FanController::clearLeftoverUnlock()
{
    if (!m_hasForceTestKey)
        return;
    std::uint8_t unlock;
    try {
        unlock = m_smc->readUInt8(kForceTestKey);
    } catch (const SMCError&) {
        return;
    }
    if (unlock == 0)
        return;
    try {
        m_smc->writeUInt8(kForceTestKey, kUnlockWithdraw);
    } catch (const SMCError& error) {
        m_log.error("could not clear leftover firmware unlock: %s", error.description().c_str());
        // Ticks write it again until the SMC takes it.
        m_unlockOwed = true;
        return;
    }
    m_log.info("cleared leftover firmware unlock from a previous run");
}

void FanController::startTickTimer()
{
    if (!m_options.tickTimer)
        return;
    m_timer = std::make_unique<asio::steady_timer>(m_queue);
    m_nextTickAt = m_clock.now() + 1s;
    scheduleNextTick();
}

void FanController::scheduleNextTick()
{
    // The deadline is on the controller's clock; the real timer only says when to look at it.
    const Clock::duration remaining = std::max(m_nextTickAt - m_clock.now(), Clock::duration(0));
    m_timer->expires_after(m_clock.realWait(remaining));
    m_timer->async_wait([this](const asio::error_code& error) {
        if (error)
            return;
        const auto now = m_clock.now();
        if (now < m_nextTickAt) {
            scheduleNextTick();
            return;
        }
        // Ticks missed while the thread was held up are not made up in a burst.
        m_nextTickAt = std::max(m_nextTickAt + 1s, now);
        tick();
        scheduleNextTick();
    });
}

void FanController::status(std::function<void(std::vector<std::uint8_t>)> reply)
{
    post([this, reply = std::move(reply)] {
        HelperStatus status;
        status.version = std::string(HelperConstants::helperVersion);
        status.phase = m_phase;
        status.autoFloors = m_autoFloors;
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
    post([this, targets = std::move(targets), reply = std::move(reply)] {
        m_requestedTargets = sanitisedTargets(targets);
        m_lastCommand = m_clock.now();
        pursueRequest();
        reply(m_effectiveTargets);
    });
}

void FanController::pursueRequest()
{
    switch (m_phase) {
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
    if (!m_smc)
        return;
    if (m_clock.now() < m_retryBlockedUntil)
        return;
    if (!m_canControlFans) {
        failTakeover(kNoModeKeySwitched);
        return;
    }
    if (m_hasForceTestKey) {
        try {
            m_smc->writeUInt8(kForceTestKey, kUnlockRequest);
        } catch (const SMCError& error) {
            failTakeover("Firmware unlock request failed: " + error.description());
            return;
        }
    }
    // The unlock is wanted again. A mode still owed stays owed until this takeover sets it
    // manual: a fan the takeover does not reach is handed back meanwhile.
    m_unlockOwed = false;
    m_phase = HelperControlPhase::unlocking;
    m_unlockRequestedAt = m_clock.now();
    m_log.info("takeover started; retrying manual mode until the firmware accepts it");
    continueUnlock();
}

void FanController::continueUnlock()
{
    if (!m_smc)
        return;
    for (std::size_t fan = 0; fan < m_modeKeys.size(); ++fan) {
        try {
            m_smc->writeUInt8(m_modeKeys[fan], kModeManual);
            // Taken manual by this takeover: nothing is owed for it any more.
            std::erase(m_modesOwed, m_modeKeys[fan]);
        } catch (const SMCError& error) {
            if (secondsSince(m_unlockRequestedAt) <= kUnlockDeadlineSeconds) {
                // The next tick or request tries again from the first fan. Meanwhile the fans
                // that did take manual mode are driven, and those it has not reached are handed
                // back if still owed: none waits for the others at a target set for cooler times.
                if (writeTargets(static_cast<int>(fan)))
                    finishHandBack();
                return;
            }
            // A fan that took manual mode before another refused would otherwise stay manual,
            // its target unwritten, for as long as the app keeps asking: hand it back now.
            returnModesToAutomatic();
            withdrawUnlock();
            failTakeover("The firmware did not grant fan control within " +
                         std::to_string(static_cast<int>(kUnlockDeadlineSeconds)) +
                         " s (last error: " + error.description() + ")");
            return;
        }
    }
    m_phase = HelperControlPhase::controlling;
    m_lastError.reset();
    m_log.info("manual mode engaged after %ld s",
               static_cast<long>(std::trunc(secondsSince(m_unlockRequestedAt))));
    applyTargets();
}

void FanController::failTakeover(const std::string& message)
{
    m_phase = HelperControlPhase::failed;
    m_lastError = message;
    m_retryBlockedUntil = m_clock.now() + std::chrono::duration_cast<Clock::duration>(
                                              std::chrono::duration<double>(kRetryBackoffSeconds));
    m_log.error("takeover failed: %s", message.c_str());
}

// Tick, targets and release

void FanController::tick()
{
    if (m_setUpRetryAt && m_clock.now() >= *m_setUpRetryAt)
        trySetUp();
    if (!m_smc || m_fanCount < 1)
        return;
    const bool fresh =
        m_requestedTargets && secondsSince(m_lastCommand) < HelperConstants::heartbeatTimeout;

    double interval = kOtherPhaseSampleSeconds;
    if (m_phase == HelperControlPhase::controlling)
        interval = m_lastHottest >= kHotCelsius ? 0.0 : kCoolControllingSampleSeconds;
    sampleHottest(interval);

    if (fresh) {
        const auto outOfControl = [this] {
            return m_phase == HelperControlPhase::idle || m_phase == HelperControlPhase::failed;
        };
        const bool wasOutOfControl = outOfControl();
        // The fans are still macOS's (through a failed takeover's back-off, say): what it
        // chooses meanwhile is the floor of the next takeover.
        if (wasOutOfControl)
            refreshAutoFloors();
        pursueRequest();
        // Still out of control (the back-off after a failed takeover): finish the hand-back.
        if (wasOutOfControl && outOfControl())
            finishHandBack();
        return;
    }

    if (m_requestedTargets) {
        m_log.error("heartbeat timeout - releasing fans");
        m_requestedTargets.reset();
    }
    // A release writes every key; already released, only what is still owed is written.
    if (m_phase == HelperControlPhase::idle)
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
    std::vector<double> floors;
    floors.reserve(m_fanCount);
    for (int i = 0; i < m_fanCount; ++i) {
        double floor = valueAt(m_autoFloors, i);
        try {
            const double target = m_smc->readFloat(fanKey(i, "Tg"));
            // A non-finite target is no speed macOS chose, and would make the status unencodable.
            if (std::isfinite(target))
                floor = target;
        } catch (const SMCError&) {
            // The previous floor stays in force.
        }
        floors.push_back(floor);
    }
    m_autoFloors = std::move(floors);
}

void FanController::applyTargets()
{
    if (!m_smc || !m_requestedTargets)
        return;
    if (std::optional<std::vector<double>> written = writeTargets(m_fanCount))
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
    for (int i = 0; i < count; ++i) {
        const double target =
            effectiveTarget(valueAt(*m_requestedTargets, i), valueAt(m_autoFloors, i), floor,
                            valueAt(m_minRPMs, i), valueAt(m_maxRPMs, i));
        try {
            m_smc->writeFloat(fanKey(i, "Tg"), static_cast<float>(target));
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
    if (m_phase == HelperControlPhase::idle)
        return;
    if (m_smc) {
        returnModesToAutomatic();
        withdrawUnlock();
    }
    // Only a complete hand-back is reported as one; a refused key says so itself.
    if (m_phase == HelperControlPhase::controlling && m_modesOwed.empty())
        m_log.info("fans returned to macOS control");
    m_phase = HelperControlPhase::idle;
    m_effectiveTargets.clear();
}

void FanController::returnModesToAutomatic()
{
    for (const std::string& key : m_modeKeys) {
        try {
            m_smc->writeUInt8(key, kModeAutomatic);
            settleMode(key);
        } catch (const SMCError& error) {
            m_log.debug("mode release skipped for %s: %s", key.c_str(),
                        error.description().c_str());
            oweMode(key, error);
        }
    }
}

void FanController::oweMode(const std::string& key, const SMCError& error)
{
    if (std::find(m_modesOwed.begin(), m_modesOwed.end(), key) != m_modesOwed.end())
        return;
    // A fan that never took manual mode (a takeover it refused) owes nothing. After a transport
    // failure the SMC is not asked: it would not answer either, and the mode is unknown.
    if (!isTransportFailure(error)) {
        try {
            if (m_smc->readUInt8(key) == kModeAutomatic)
                return;
        } catch (const SMCError&) {
            // Unreadable: it may well be manual.
        }
    }
    m_modesOwed.push_back(key);
    m_log.error("fan mode %s refused automatic (%s) - writing it again every tick", key.c_str(),
                error.description().c_str());
}

void FanController::settleMode(const std::string& key)
{
    if (std::erase(m_modesOwed, key) == 0)
        return;
    m_log.info("fan mode %s accepted automatic - fan returned to macOS control", key.c_str());
}

void FanController::withdrawUnlock()
{
    if (!m_hasForceTestKey)
        return;
    try {
        m_smc->writeUInt8(kForceTestKey, kUnlockWithdraw);
    } catch (const SMCError& error) {
        if (!m_unlockOwed)
            m_log.error("Ftst release failed: %s", error.description().c_str());
        m_unlockOwed = true;
        return;
    }
    if (m_unlockOwed)
        m_log.info("Ftst accepted 0 - firmware unlock withdrawn");
    m_unlockOwed = false;
}

void FanController::finishHandBack()
{
    if (!m_smc || (m_modesOwed.empty() && !m_unlockOwed))
        return;
    const std::vector<std::string> owed = m_modesOwed;
    for (const std::string& key : owed) {
        try {
            m_smc->writeUInt8(key, kModeAutomatic);
            settleMode(key);
        } catch (const SMCError&) {
            // Still owed: the first refusal was logged, the next tick writes it again.
        }
    }
    if (m_unlockOwed)
        withdrawUnlock();
}

void FanController::releaseControl(std::function<void()> reply)
{
    post([this, reply = std::move(reply)] {
        m_requestedTargets.reset();
        releaseToMacOS();
        reply();
    });
}

void FanController::emergencyReleaseSync()
{
    runAndWait([this] {
        m_requestedTargets.reset();
        releaseToMacOS();
    });
}

// Ending the process

void FanController::shutDown(std::function<void()> reply)
{
    post([this, reply = std::move(reply)] {
        m_requestedTargets.reset();
        releaseToMacOS();
        m_log.info("shutdown requested by the app; exiting");
        reply();
        scheduleExit();
    });
}

void FanController::uninstall(std::function<void(bool)> reply)
{
    post([this, reply = std::move(reply)] {
        m_requestedTargets.reset();
        releaseToMacOS();
        // Any file may already be gone; no failure stops the other removals.
        std::error_code ignored;
        std::filesystem::remove(HelperConstants::daemonPlistSystemPath(), ignored);
        std::filesystem::remove(HelperConstants::helperInstallSystemPath(), ignored);
        std::filesystem::remove(HelperConstants::installerRecordSystemPath(), ignored);
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
