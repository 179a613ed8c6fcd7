// The helper client against the real daemon in a virtual Mac: install from the built bundle
// resources through the stand-in osascript and launchctl, status, a daemon that stops and comes
// back, and a late reply. Uninstalling is AppProcessTest's, through the app's own command.

#include "tests/app/AppTestSupport.h"
#include "tests/support/EventLoop.h"
#include "tests/virtual-mac/VsmcTestSupport.h"

#include "app/core/AppBundle.h"
#include "app/core/HelperClient.h"

#include <QCoroTask>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <csignal>

namespace brisvane {
namespace {

using namespace std::chrono_literals;

const QString kHelperClientCategory = QStringLiteral("org.brisvane.Brisvane.helper-client");
const std::string kLabel = "org.brisvane.Brisvane.helper";

class HelperClientDaemonTest : public test::AppCoreTest {
protected:
    void SetUp() override
    {
        AppCoreTest::SetUp();
        m_mac = std::make_unique<test::SimulatedMac>();
        const std::string root = m_mac->root().string();
        setEnv("BRISVANE_SYSTEM_ROOT", QString::fromStdString(root));
        setEnv("DBUS_SYSTEM_BUS_ADDRESS", QString::fromStdString(test::systemBusAddress(root)));
        setEnv("BRISVANE_SIM_ADMIN", std::nullopt);
        setEnv(AppBundle::kPrefixVariable, std::nullopt); // the build tree's own layout
    }
    void TearDown() override
    {
        if (m_stoppedDaemon)
            ::kill(*m_stoppedDaemon, SIGCONT);
        AppCoreTest::TearDown();
        m_mac.reset();
    }

    nlohmann::json control(const std::string& line) const { return m_mac->control(line); }
    test::RunResult launchctl(const std::vector<std::string>& args) const
    {
        return m_mac->launchctl(args);
    }

    std::filesystem::path installedHelper() const
    {
        return HelperConstants::helperInstallSystemPath();
    }
    std::filesystem::path installedPlist() const
    {
        return HelperConstants::daemonPlistSystemPath();
    }
    std::string daemonLog() const
    {
        return test::readFile(m_mac->root() / "var/log" / (kLabel + ".log"));
    }
    std::optional<pid_t> daemonPid() const { return m_mac->daemonPid(); }
    bool jobLoaded() const { return launchctl({"print", "system/" + kLabel}).status == 0; }

    // Installs through the stand-in osascript; the daemon answers before it returns.
    void install(HelperClient& client)
    {
        std::optional<QString> failure = QCoro::waitFor(installCatching(&client));
        ASSERT_FALSE(failure) << failure->toStdString();
        ASSERT_EQ(client.state(), HelperState::installed) << daemonLog();
        ASSERT_TRUE(client.lastStatus()) << daemonLog();
    }

    // What install() threw, as text, or nothing.
    static QCoro::Task<std::optional<QString>> installCatching(HelperClient* client)
    {
        try {
            co_await client->install();
        } catch (const HelperInstallError& error) {
            co_return error.description();
        } catch (const AdminScriptRunner::LaunchError& error) {
            co_return error.description();
        }
        co_return std::nullopt;
    }

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

    std::unique_ptr<test::SimulatedMac> m_mac;
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

    ASSERT_EQ(launchctl({"bootstrap", "system", installedPlist().string()}).status, 0);
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

} // namespace
} // namespace brisvane
