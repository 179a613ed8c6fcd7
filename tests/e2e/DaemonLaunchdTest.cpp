// The daemon as launchd runs it: installed from the shipped plist, started by the stand-in
// launchctl, restarted after a crash, stopped by bootout, and ended only by those allowed to.
#include "tests/e2e/DaemonTestSupport.h"
#include "tests/e2e/OtherUser.h"

#include <gtest/gtest.h>

#include <csignal>

namespace brisvane::test {
namespace {

// The shipped plist as launchd reads it: started at bootstrap, started again after a crash
// (whose leftovers set-up hands back), stopped by bootout with a SIGTERM that releases first.
TEST(DaemonLaunchd, TheDaemonComesBackAfterACrashAndBootoutStopsItAfterTheRelease)
{
    LaunchdRig rig;
    rig.control("firmware accept-mode-after 0");
    rig.bootstrap();
    const std::optional<pid_t> first = rig.servingPid();
    ASSERT_TRUE(first);
    rig.takeOver({3000, 3000});
    std::size_t start = rig.writes().size();

    ASSERT_EQ(::kill(*first, SIGKILL), 0);
    ASSERT_TRUE(eventually([&] {
        const std::optional<pid_t> serving = rig.servingPid();
        return serving && *serving != *first;
    })) << rig.daemonLog();
    // Set-up runs before the socket answers: the fans are back already.
    EXPECT_TRUE(rig.fansAutomatic());
    EXPECT_EQ(writeOrder(rig.writesSince(start)), kReleaseOrder);
    EXPECT_EQ(rig.logCount("cleared leftover firmware unlock from a previous run"), 1u);
    EXPECT_EQ(rig.logCount("BrisvaneHelper 1.0.2 starting"), 2u);
    EXPECT_EQ(rig.connect().status().phase, HelperControlPhase::idle);

    rig.takeOver({3000, 3000});
    start = rig.writes().size();
    const RunResult bootout = rig.launchctl({"bootout", LaunchdRig::kService});
    EXPECT_EQ(bootout.status, 0) << bootout.output;
    EXPECT_FALSE(rig.servingPid());
    EXPECT_NE(rig.launchctl({"print", LaunchdRig::kService}).status, 0);
    EXPECT_TRUE(rig.fansAutomatic());
    EXPECT_EQ(writeOrder(rig.writesSince(start)), kReleaseOrder);
    EXPECT_EQ(rig.logCount("SIGTERM - releasing fans and exiting"), 1u);
    EXPECT_EQ(rig.violations(), nlohmann::json::array());
}

TEST(DaemonLaunchd, OnlyRootAndTheInstallingUserMayRemoveOrStopTheDaemon)
{
    const auto nobody = OtherUser::nobody();
    if (!nobody)
        GTEST_SKIP() << "needs root to act as nobody";
    LaunchdRig rig;
    // Reachable by every user, as /var/run is on a Mac.
    std::filesystem::permissions(rig.root(), std::filesystem::perms(0755));
    const std::filesystem::path record =
        rig.root() / HelperConstants::installerRecordPath.substr(1);
    writeFile(record, "4242\n"); // installed by someone else
    rig.control("firmware accept-mode-after 0");
    rig.bootstrap();
    const std::optional<pid_t> daemon = rig.servingPid();
    rig.takeOver({3000, 3000});

    // Each call from nobody as the child reports it.
    const std::string socket = rig.socketPath();
    auto callAsNobody = [&](const std::string& op) {
        OtherUser child(*nobody, [&](int report) {
            try {
                HelperWireClient client(socket);
                if (op == "uninstall")
                    OtherUser::report(report, client.uninstall() ? "true" : "false");
                else if (op == "shutDown")
                    client.shutDown(), OtherUser::report(report, "replied");
                else
                    OtherUser::report(report, std::string(rawValue(client.status().phase)));
            } catch (const HelperWireClient::Error& error) {
                OtherUser::report(report, error.what());
            }
        });
        return child.readLine().value_or("no answer");
    };
    // The app keeps calling meanwhile, as its heartbeat.
    HelperWireClient app = rig.connect();
    const std::size_t start = rig.writes().size();
    for (const auto& [op, answer] :
         {std::pair{"uninstall", "false"}, {"shutDown", "replied"}, {"status", "controlling"}}) {
        app.setTargets({3000, 3000});
        EXPECT_EQ(callAsNobody(op), answer) << op;
    }
    EXPECT_TRUE(app.status().isControlling());
    for (const SmcWrite& write : rig.writesSince(start))
        EXPECT_TRUE(write.key == "F0Tg" || write.key == "F1Tg") << write;
    for (const auto& file :
         {rig.plistPath(), rig.root() / HelperConstants::helperInstallPath.substr(1), record})
        EXPECT_TRUE(std::filesystem::exists(file)) << file;
    EXPECT_EQ(rig.servingPid(), daemon);
    EXPECT_TRUE(rig.fansManual());
    EXPECT_EQ(rig.logCount("only root and the user who installed the helper may remove or stop "
                           "it"),
              2u)
        << rig.daemonLog();

    // Recorded as the installer, the same user may stop it: released, and launchd starts it again.
    writeFile(record, std::to_string(nobody->first) + "\n");
    EXPECT_EQ(callAsNobody("shutDown"), "replied");
    EXPECT_TRUE(eventually([&] {
        const std::optional<pid_t> serving = rig.servingPid();
        return serving && serving != daemon;
    })) << rig.daemonLog();
    EXPECT_TRUE(rig.fansAutomatic());
    EXPECT_EQ(rig.violations(), nlohmann::json::array());
}

} // namespace
} // namespace brisvane::test
