#pragma once
// Runs as root: the daemon's fan controller, the only code that switches fans to manual mode and
// writes their targets. One control thread owns every field and the SMC connection; remote calls
// and the 1-second tick reach it through its io_context.

#include "ControlQueue.h"
#include "ControlledFan.h"
#include "FirmwareUnlock.h"
#include "Takeover.h"
#include "shared/HelperShared.h"
#include "smc/Clock.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace brisvane {

class HelperLog;
class SMCConnection;
class SMCError;
class SMCTemperatureSensors;
struct FanInventory;

class FanController final : public BrisvaneHelperProtocol {
public:
    struct Options {
        // Every interval the controller measures; SteadyClock::shared() when null.
        const Clock* clock = nullptr;
        // HelperLog::shared() when null.
        HelperLog* log = nullptr;
        // A control thread runs the io_context. Without one, the owner runs it with poll() on its
        // own thread, which then counts as the control thread.
        bool controlThread = true;
        // The 1-second tick timer that set-up starts. Without it ticks come only from runTick().
        bool tickTimer = true;
        // Runs 0.5 s after shutDown or uninstall replied, on a thread of its own; exit(0) when
        // empty.
        std::function<void()> exitAction;
    };

    static constexpr double kTickIntervalSeconds = 1.0;
    static constexpr double kExitDelaySeconds = 0.5;
    // Set-up that failed for want of an answer is tried again after 1 s, then twice as long each
    // time up to this.
    static constexpr double kSetUpBackoffLimitSeconds = 60.0;

    // The daemon's controller with a control thread, the steady clock and exit(0). Created on
    // first use and never destroyed, so that an exit handler can still release the fans.
    static FanController& shared();
    // The options shared() creates the controller with (exitAction above all); only before its
    // first use.
    static void configureShared(Options options);

    // The speed one fan is driven at: the app's request, raised to the safety floor
    // (`floorPercent` of the fan's range, nothing at 0) and to the speed macOS chose
    // (`autoFloor`), and never above the fan's maximum.
    static double effectiveTarget(double requested, double autoFloor, double floorPercent,
                                  double minRPM, double maxRPM);

    explicit FanController(Options options);
    // Stops and joins the control thread (never reached for shared()).
    ~FanController() override;
    FanController(const FanController&) = delete;
    FanController& operator=(const FanController&) = delete;

    // Posts set-up, the first work the control thread runs; returns at once.
    void start();

    // Remote operations: each posts its whole body to the control thread and replies from it.
    void setTargets(std::vector<double> targets,
                    std::function<void(std::vector<double>)> reply) override;
    void releaseControl(std::function<void()> reply) override;
    void status(std::function<void(std::vector<std::uint8_t>)> reply) override;
    void uninstall(std::function<void(bool)> reply) override;
    void shutDown(std::function<void()> reply) override;

    // Hands the fans back to macOS before returning, from any thread: inline on the control
    // thread, otherwise posted there and waited for.
    void emergencyReleaseSync();

    // True on the thread that is running the control io_context.
    bool isControlThread() const;

    // Runs every ready handler on the calling thread; only for a controller without control
    // thread. Returns the number of handlers run.
    std::size_t poll();
    // One tick as the timer runs it, finished before returning (for tests and benchmarks).
    void runTick();

private:
    using TimePoint = Clock::time_point;

    void setUp();
    // One attempt at opening the SMC and learning the fans; a transport failure schedules the
    // next attempt, a machine that answered is taken as it is.
    void trySetUp();
    void setUpFailed(const SMCError& error);
    void adopt(FanInventory inventory);
    void startTickTimer();

    void tick();
    void sampleHottest(double intervalSeconds);
    void refreshAutoFloors();
    void applyTargets();
    // Writes the targets of fans 0…count-1 and returns them; nothing after a refused write,
    // which ends the control with a full release.
    std::optional<std::vector<double>> writeTargets(int count);
    void releaseToMacOS();
    void returnModesToAutomatic();
    // A hand-back is finished, not attempted: a mode key or the unlock the SMC refused to take
    // back is owed, and written again on every tick outside control until the SMC accepts it
    // (while a takeover waits for the firmware too, for the fans it has not yet taken).
    void finishHandBack();
    bool isHandBackOwed() const;

    // One step toward a fresh request, whatever the phase: take the fans over, go on
    // unlocking, or write the targets.
    void pursueRequest();
    void beginTakeover();
    void continueUnlock();
    void failTakeover(const std::string& message);

    void scheduleExit();
    double secondsSince(TimePoint then) const;

    const Clock& m_clock;
    HelperLog& m_log;
    const Options m_options;

    std::shared_ptr<SMCConnection> m_smc;
    std::unique_ptr<SMCTemperatureSensors> m_sensors;
    std::vector<ControlledFan> m_fans;
    bool m_canControlFans = false;
    FirmwareUnlock m_unlock;
    // When set-up is tried again; absent once it succeeded or the SMC answered.
    std::optional<TimePoint> m_setUpRetryAt;
    double m_setUpBackoffSeconds = 1.0;
    Takeover m_takeover;
    std::optional<std::vector<double>> m_requestedTargets;
    TimePoint m_lastCommand;
    std::vector<double> m_effectiveTargets;
    double m_lastHottest = 0.0;
    std::optional<std::string> m_lastError;
    // Numbers the refused hand-backs, so that owed fans are written again in that order.
    std::uint64_t m_handBackRefusals = 0;
    TimePoint m_lastHottestSampledAt;
    bool m_exitScheduled = false;
    // Last: its thread starts once every other member is built, and is joined before any is
    // destroyed.
    ControlQueue m_queue;
};

} // namespace brisvane
