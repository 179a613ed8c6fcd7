// The daemon against a virtual SMC that misbehaves: a stall of the whole SMC while the daemon
// controls, and a firmware that refuses to take a fan back. Either way the fans end with macOS or
// under control, never manual and unattended.
#include "tests/e2e/DaemonTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace brisvane::test {
namespace {

// The app's heartbeat: setTargets every second from its own connection until stopped.
class Heartbeat {
public:
    Heartbeat(const VirtualMacRig& rig, std::vector<double> targets)
        : m_thread([this, &rig, targets] {
            while (!m_stop) {
                try {
                    rig.connect().setTargets(std::span<const double>(targets));
                } catch (const HelperWireClient::Error&) {
                    // A call the daemon could not answer in time: the app would just send again.
                }
                for (int i = 0; i < 100 && !m_stop; ++i)
                    std::this_thread::sleep_for(10ms);
            }
        })
    {}
    ~Heartbeat() { stop(); }
    void stop()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
    }

private:
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

TEST(DaemonFaults, AThreeSecondSmcStallCostsOnlyTheCallsMadeDuringIt)
{
    DaemonRig rig;
    rig.startControlling();
    Heartbeat app(rig, {3000, 3000});

    const auto stalledAt = std::chrono::steady_clock::now();
    ASSERT_EQ(::kill(rig.vsmcPid(), SIGSTOP), 0);
    // The stall is the fault itself: it lasts three seconds, whatever the daemon does meanwhile.
    EXPECT_TRUE(eventually([&] { return std::chrono::steady_clock::now() - stalledAt >= 3s; }));
    ASSERT_EQ(::kill(rig.vsmcPid(), SIGCONT), 0);

    // The app still asks, so the daemon holds the fans again once its writes go through.
    EXPECT_TRUE(eventually(
        [&] {
            const HelperStatus status = rig.connect().status();
            return status.isControlling() && status.effectiveTargets.size() == 2 &&
                   rig.fansManual();
        },
        30s))
        << rig.daemonLog();
    app.stop();
    rig.connect().releaseControl();
    EXPECT_TRUE(eventually([&] { return rig.fansAutomatic(); })) << rig.daemonLog();
    EXPECT_EQ(rig.violations(), nlohmann::json::array());
}

TEST(DaemonFaults, AHandBackTheFirmwareRefusesIsWrittenAgainUntilItIsTaken)
{
    DaemonRig rig;
    rig.startControlling();

    rig.control("fault F1Md write 0x86 3");
    rig.connect().releaseControl();
    EXPECT_TRUE(eventually([&] { return rig.fansAutomatic(); })) << rig.daemonLog();
    EXPECT_TRUE(eventually([&] { return rig.logCount("fan mode F1Md accepted automatic") == 1; }))
        << rig.daemonLog();
    EXPECT_EQ(rig.logCount("fan mode F1Md refused automatic"), 1u) << rig.daemonLog();
    EXPECT_EQ(rig.logCount("fans returned to macOS control"), 0u);
    EXPECT_EQ(rig.connect().status().phase, HelperControlPhase::idle);
    EXPECT_EQ(rig.violations(), nlohmann::json::array());
}

} // namespace
} // namespace brisvane::test
