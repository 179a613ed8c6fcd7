// The daemon as launchd runs it: installed from the shipped plist, started by the stand-in
// launchctl, restarted after a crash, stopped by bootout.
#include "DaemonTestSupport.h"

#include "PropertyList.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <csignal>

namespace brisvane::test {
namespace {

using ::testing::ElementsAre;

TEST(DaemonLaunchd, theShippedPlistRunsTheInstalledHelperAndKeepsItAlive)
{
    const PlistValue plist = PropertyList::parseFile(LaunchdRig::shippedPlist().string());
    ASSERT_EQ(plist.kind, PlistValue::Kind::dict);
    ASSERT_NE(plist.find("Label"), nullptr);
    EXPECT_EQ(plist.find("Label")->text, HelperConstants::machServiceName);
    const PlistValue* arguments = plist.find("ProgramArguments");
    ASSERT_NE(arguments, nullptr);
    ASSERT_EQ(arguments->items.size(), 1u);
    EXPECT_EQ(arguments->items[0].text, HelperConstants::helperInstallPath);
    const PlistValue* services = plist.find("MachServices");
    ASSERT_NE(services, nullptr);
    const PlistValue* service = services->find(HelperConstants::machServiceName);
    ASSERT_NE(service, nullptr);
    EXPECT_TRUE(service->boolean);
    for (const char* key : {"RunAtLoad", "KeepAlive"}) {
        ASSERT_NE(plist.find(key), nullptr) << key;
        EXPECT_EQ(plist.find(key)->kind, PlistValue::Kind::boolean) << key;
        EXPECT_TRUE(plist.find(key)->boolean) << key;
    }
}

TEST(DaemonLaunchd, aDaemonKilledWhileControllingComesBackAndHandsTheFansBack)
{
    LaunchdRig rig;
    rig.control("firmware accept-mode-after 0");
    rig.bootstrap();
    const std::optional<pid_t> first = rig.servingPid();
    ASSERT_TRUE(first);
    rig.takeOver({3000, 3000});
    const std::size_t start = rig.writes().size();

    ASSERT_EQ(::kill(*first, SIGKILL), 0);
    ASSERT_TRUE(eventually([&] {
        const std::optional<pid_t> serving = rig.servingPid();
        return serving && *serving != *first;
    })) << rig.daemonLog();
    // Set-up runs before the socket answers: the fans are back already.
    EXPECT_TRUE(rig.fansAutomatic());
    EXPECT_THAT(writeOrder(rig.writesSince(start)),
                ElementsAre("F0Md<-00", "F1Md<-00", "Ftst<-00"));
    EXPECT_EQ(rig.logCount("cleared leftover firmware unlock from a previous run"), 1u);
    EXPECT_EQ(rig.logCount("BrisvaneHelper 1.0.2 starting"), 2u);
    EXPECT_EQ(rig.connect().status().phase, HelperControlPhase::idle);
    EXPECT_EQ(rig.violations(), nlohmann::json::array());
}

TEST(DaemonLaunchd, bootoutStopsTheDaemonWithSigtermAfterTheRelease)
{
    LaunchdRig rig;
    rig.control("firmware accept-mode-after 0");
    rig.bootstrap();
    rig.takeOver({3000, 3000});
    const std::size_t start = rig.writes().size();

    const RunResult bootout = rig.launchctl({"bootout", LaunchdRig::kService});
    EXPECT_EQ(bootout.status, 0) << bootout.output;
    EXPECT_FALSE(rig.servingPid());
    EXPECT_NE(rig.launchctl({"print", LaunchdRig::kService}).status, 0);
    EXPECT_TRUE(rig.fansAutomatic());
    EXPECT_THAT(writeOrder(rig.writesSince(start)),
                ElementsAre("F0Md<-00", "F1Md<-00", "Ftst<-00"));
    EXPECT_EQ(rig.logCount("SIGTERM - releasing fans and exiting"), 1u);
    EXPECT_EQ(rig.violations(), nlohmann::json::array());
}

} // namespace
} // namespace brisvane::test
