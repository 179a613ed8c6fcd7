// The helper client against the real daemon in a virtual Mac: install from the built bundle
// resources through the stand-in osascript and launchctl, status, a daemon that stops and comes
// back, a late reply, and uninstall.

#include "tests/app/AppEndToEndSupport.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <csignal>

namespace brisvane {
namespace {

using namespace std::chrono_literals;

const QString kHelperClientCategory = QStringLiteral("org.brisvane.Brisvane.helper-client");
const std::string kLabel = "org.brisvane.Brisvane.helper";

class HelperClientDaemonTest : public test::SimulatedMacTest {
protected:
    void TearDown() override
    {
        if (m_stoppedDaemon)
            ::kill(*m_stoppedDaemon, SIGCONT);
        SimulatedMacTest::TearDown();
    }
    std::string plistArgument() const { return installedPlist().string(); }
    // Installed, with the firmware unlocking at once, and controlling.
    void takeOver(HelperClient& client)
    {
        control("firmware accept-mode-after 0");
        ASSERT_NO_FATAL_FAILURE(install(client));
        ASSERT_TRUE(test::processEventsUntil([&] {
            QCoro::waitFor(client.setTargets({3000, 3100}));
            const auto status = QCoro::waitFor(client.fetchStatus());
            return status && status->isControlling();
        }));
    }

    std::optional<pid_t> m_stoppedDaemon;
};

TEST_F(HelperClientDaemonTest, InstallsTheBuiltDaemonAndReadsItsStatus)
{
    HelperClient client;
    client.refreshInstallState();
    ASSERT_EQ(client.state(), HelperState::notInstalled);
    install(client);

    EXPECT_EQ(test::readFile(installedHelper()),
              test::readFile(
                  std::filesystem::path(BRISVANE_BUILD_DIR "/libexec/brisvane/BrisvaneHelper")));
    EXPECT_EQ(test::readFile(installedPlist()),
              test::readFile(std::filesystem::path(
                  BRISVANE_BUILD_DIR "/share/brisvane/org.brisvane.Brisvane.helper.plist")));
    EXPECT_EQ(std::filesystem::status(installedHelper()).permissions() &
                  std::filesystem::perms::all,
              std::filesystem::perms(0755));
    EXPECT_EQ(std::filesystem::status(installedPlist()).permissions() & std::filesystem::perms::all,
              std::filesystem::perms(0644));
    EXPECT_TRUE(jobLoaded());

    EXPECT_EQ(client.lastStatus()->version, HelperConstants::helperVersion);
    EXPECT_EQ(client.lastStatus()->phase, HelperControlPhase::idle);
    EXPECT_FALSE(client.isHelperOutdated());
    // The daemon's own readings arrive with its first ticks.
    std::optional<HelperStatus> status;
    ASSERT_TRUE(test::processEventsUntil([&] {
        status = QCoro::waitFor(client.fetchStatus());
        return status && status->hottestSensorCelsius > 20;
    }));
    EXPECT_EQ(status->autoFloors.size(), 2u);

    // Installing again replaces a running daemon in place.
    install(client);
    EXPECT_TRUE(jobLoaded());
    EXPECT_TRUE(QCoro::waitFor(client.fetchStatus()));
}

TEST_F(HelperClientDaemonTest, TargetsReachTheDaemonAndTheStatusFollowsItsPhase)
{
    HelperClient client;
    ASSERT_NO_FATAL_FAILURE(takeOver(client));
    QSignalSpy statusChanged(&client, &HelperControlling::lastStatusChanged);
    const int changes = statusChanged.count();

    // Only new targets: returned, but lastStatus keeps the older record.
    EXPECT_EQ(QCoro::waitFor(client.setTargets({3500, 3600})), (QList<double>{3500, 3600}));
    const std::optional<HelperStatus> status = QCoro::waitFor(client.fetchStatus());
    ASSERT_TRUE(status);
    EXPECT_EQ(status->effectiveTargets, (std::vector<double>{3500, 3600}));
    EXPECT_NE(client.lastStatus()->effectiveTargets, status->effectiveTargets);
    EXPECT_EQ(statusChanged.count(), changes);

    QCoro::waitFor(client.releaseControl());
    EXPECT_EQ(QCoro::waitFor(client.fetchStatus())->phase, HelperControlPhase::idle);
    EXPECT_EQ(client.lastStatus()->phase, HelperControlPhase::idle);
}

TEST_F(HelperClientDaemonTest, AStoppedDaemonIsUnreachableUntilItAnswersAgain)
{
    HelperClient client;
    ASSERT_NO_FATAL_FAILURE(install(client));

    ASSERT_EQ(launchctl({"bootout", "system/" + kLabel}).status, 0);
    test::LogCapture log;
    EXPECT_FALSE(QCoro::waitFor(client.fetchStatus()));
    EXPECT_EQ(client.state(), HelperState::unreachable);
    const auto lines = log.inCategory(kHelperClientCategory);
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_TRUE(lines.front().message.startsWith("XPC error: "));
    // Its files are still there, so looking at them changes nothing.
    client.refreshInstallState();
    EXPECT_EQ(client.state(), HelperState::unreachable);
    EXPECT_FALSE(QCoro::waitFor(client.setTargets({3000, 3000})));

    ASSERT_EQ(launchctl({"bootstrap", "system", plistArgument()}).status, 0);
    EXPECT_TRUE(QCoro::waitFor(client.fetchStatus())) << daemonLog();
    EXPECT_EQ(client.state(), HelperState::installed);
}

TEST_F(HelperClientDaemonTest, AReplyAfterTheTimeLimitChangesNothing)
{
    HelperClient client;
    ASSERT_NO_FATAL_FAILURE(takeOver(client));
    // Released, but not fetched: lastStatus still says controlling.
    QCoro::waitFor(client.releaseControl());
    ASSERT_EQ(client.lastStatus()->phase, HelperControlPhase::controlling);

    const std::optional<pid_t> pid = daemonPid();
    ASSERT_TRUE(pid);
    const int attempts = client.connectionAttempts();
    ASSERT_EQ(::kill(*pid, SIGSTOP), 0);
    m_stoppedDaemon = pid;
    test::LogCapture log;
    EXPECT_FALSE(QCoro::waitFor(client.fetchStatus()));
    // A daemon that is slow to answer is not an error.
    EXPECT_EQ(client.state(), HelperState::installed);
    EXPECT_TRUE(log.inCategory(kHelperClientCategory).isEmpty());

    QSignalSpy statusChanged(&client, &HelperControlling::lastStatusChanged);
    ::kill(*pid, SIGCONT);
    m_stoppedDaemon.reset();
    // Answered in order on the one connection: once this ack is in, the late status (now
    // "idle") has been read and dropped.
    QCoro::waitFor(client.releaseControl());
    EXPECT_EQ(client.lastStatus()->phase, HelperControlPhase::controlling);
    EXPECT_EQ(statusChanged.count(), 0);
    EXPECT_EQ(client.connectionAttempts(), attempts); // the same connection throughout

    EXPECT_EQ(QCoro::waitFor(client.fetchStatus())->phase, HelperControlPhase::idle);
    EXPECT_EQ(client.lastStatus()->phase, HelperControlPhase::idle);
}

TEST_F(HelperClientDaemonTest, UninstallRemovesTheDaemonAndBothFiles)
{
    HelperClient client;
    ASSERT_NO_FATAL_FAILURE(install(client));
    QCoro::waitFor(client.uninstall());
    EXPECT_EQ(client.state(), HelperState::notInstalled);
    EXPECT_FALSE(client.lastStatus());
    EXPECT_FALSE(client.hasConnection());
    EXPECT_FALSE(std::filesystem::exists(installedHelper()));
    EXPECT_FALSE(std::filesystem::exists(installedPlist()));
    EXPECT_FALSE(jobLoaded());
    EXPECT_NE(daemonLog().find("uninstalled; exiting"), std::string::npos) << daemonLog();
    EXPECT_FALSE(QCoro::waitFor(client.fetchStatus()));
}

} // namespace
} // namespace brisvane
