// brisvane-vsmc and brisvane-sim as real processes: SMCKit over the user-client socket, the
// control socket, the sandbox tool's up and down, and scenarios that only a served machine shows
// (results and faults over the wire, the monitor's findings, model time that follows the clock).
#include "tests/virtual-mac/VsmcTestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace brisvane {
namespace {

using nlohmann::json;
using test::smcErrorOf;
using ::testing::HasSubstr;

TEST(VsmcServe, SMCConnectionOverTheSocketReadsFansAndItsWritesShowInCtlWrites)
{
    test::ServedVirtualMac mac;
    test::ScopedSystemRoot root(mac.root());
    SMCConnection connection;
    EXPECT_EQ(connection.fanCount(), 2);
    EXPECT_EQ(connection.readFloat("F0Mx"), 6000.0f);
    connection.writeFloat("F0Tg", 1850);

    const auto ctl = test::run(
        {test::binary("brisvane-vsmc").string(), "ctl", "--root", mac.root().string(), "writes"});
    ASSERT_EQ(ctl.status, 0) << ctl.output;
    const json reply = json::parse(ctl.output);
    ASSERT_EQ(reply["writes"].size(), 1u) << ctl.output;
    EXPECT_EQ(reply["writes"][0]["key"], "F0Tg");
    EXPECT_EQ(reply["writes"][0]["bytes"], "0040e744");
    EXPECT_EQ(reply["writes"][0]["result"], 0);
    EXPECT_TRUE(mac.control("writes")["writes"].empty()) << "writes drains the journal";
    const json refused = mac.control("fly away");
    EXPECT_EQ(refused["ok"], false);
    EXPECT_THAT(refused.value("error", ""), HasSubstr("unknown command: fly"));
}

TEST(VsmcServe, RefusesToServeWhereAnotherServerAnswers)
{
    test::ServedVirtualMac mac;
    const auto second =
        test::run({test::binary("brisvane-vsmc").string(), "serve", "--root", mac.root().string()});
    EXPECT_EQ(second.status, 1);
    EXPECT_THAT(second.output, HasSubstr("already being served"));
    EXPECT_TRUE(mac.control("status")["ok"]) << "the first server is untouched";
}

TEST(BrisvaneSim, UpStartsAServedRootAndDownStopsIt)
{
    test::TemporaryRoot dir;
    const auto sim = test::binary("brisvane-sim").string();
    const auto up = test::run({sim, "up", dir.path().string(), "--profile", "fanless"});
    ASSERT_EQ(up.status, 0) << up.output;
    const auto pid = ProcessControl::readPidFile(dir.path() / "var/run/brisvane-vsmc.pid");
    ASSERT_TRUE(pid);
    EXPECT_TRUE(ProcessControl::isAlive(*pid));
    // Answers at once: up returns only when the sockets do.
    EXPECT_EQ(ControlClient::request(dir.path(), "status")["profile"], "fanless");
    {
        test::ScopedSystemRoot root(dir.path());
        EXPECT_EQ(SMCConnection().fanCount(), 0);
    }

    const auto again = test::run({sim, "up", dir.path().string()});
    EXPECT_EQ(again.status, 1);
    EXPECT_THAT(again.output, HasSubstr("already runs"));

    const auto down = test::run({sim, "down", dir.path().string()});
    EXPECT_EQ(down.status, 0) << down.output;
    EXPECT_FALSE(ProcessControl::isAlive(*pid));
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "var/run/brisvane-vsmc.pid"));
    EXPECT_THROW(ControlClient::request(dir.path(), "status"), ControlClient::Error);
}

TEST(BrisvaneSim, RejectsAnUnknownProfileWithoutStartingAnything)
{
    test::TemporaryRoot dir;
    const auto up = test::run({test::binary("brisvane-sim").string(), "up", dir.path().string(),
                               "--profile", "no-such-machine"});
    EXPECT_EQ(up.status, 1);
    EXPECT_THAT(up.output, HasSubstr("no-such-machine"));
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "var/run/brisvane-vsmc.pid"));
}

// SMCKit talks to brisvane-vsmc over its socket; the test steers and inspects it through the
// control socket.
class Scenario : public ::testing::Test {
protected:
    explicit Scenario(std::vector<std::string> arguments = {})
        : mac(VirtualSmc::kDefaultProfile, std::move(arguments))
        , root(mac.root())
    {}

    json control(const std::string& line)
    {
        const json reply = mac.control(line);
        EXPECT_EQ(reply["ok"], true) << line << ": " << reply;
        return reply;
    }
    std::vector<json> writes() { return control("writes")["writes"].get<std::vector<json>>(); }

    bool writeByte(const std::string& key, std::uint8_t value)
    {
        return smcErrorOf([&] { smc.writeUInt8(key, value); }).empty();
    }

    test::ServedVirtualMac mac;
    test::ScopedSystemRoot root;
    SMCConnection smc;
};

TEST_F(Scenario, TheMonitorReportsAManualFanHeldBelowTheFloor)
{
    // At 85 °C the floor is 70 % (4560 RPM), but the firmware had chosen more before the
    // takeover: 25 % + 75 % × 15/22 of the range, 4855 RPM. The larger one is required.
    control("temp 85");
    control("advance 2");
    ASSERT_TRUE(writeByte("Ftst", 1));
    control("advance 3");
    ASSERT_TRUE(writeByte("F1Md", 1));
    for (const float rpm : {3000, 3000, 3000, 3000, 4855, 4855, 4855}) {
        smc.writeFloat("F1Tg", rpm);
        control("advance 1");
    }
    const json found = control("violations")["violations"];
    ASSERT_EQ(found.size(), 1u) << found;
    EXPECT_EQ(found[0]["fan"], 1);
    EXPECT_EQ(found[0]["kind"], "below-floor");
    EXPECT_EQ(found[0]["seconds"], 4);
    EXPECT_EQ(found[0]["target"], 3000.0);
    EXPECT_NEAR(found[0]["required"].get<double>(), 4855, 1);
    EXPECT_EQ(found[0]["hottest"], 85.0);
    EXPECT_LT(found[0]["from"].get<double>(), found[0]["to"].get<double>());
}

TEST_F(Scenario, InjectedResultsAndKernelCodesReachTheClient)
{
    control("fault F1Tg write 0x87");
    EXPECT_EQ(smcErrorOf([&] { smc.writeFloat("F1Tg", 2000); }), "SMC key F1Tg error (result 135)");
    const auto journal = writes();
    ASSERT_EQ(journal.size(), 1u);
    EXPECT_EQ(journal[0]["key"], "F1Tg");
    EXPECT_EQ(journal[0]["result"], 0x87);

    control("transport-fault 0xe00002bc 1");
    EXPECT_EQ(smcErrorOf([&] { smc.readFloat("F0Mx"); }), "SMC call failed (0xe00002bc)");
    EXPECT_EQ(smc.readFloat("F0Mx"), 6000.0f);
    EXPECT_TRUE(control("status")["ok"]);
}

// Model time following the real clock (sped up): the unlock delay passes by itself.
class RealTimeScenario : public Scenario {
protected:
    RealTimeScenario()
        : Scenario({"--time-scale", "20"})
    {}
};

TEST_F(RealTimeScenario, TheUnlockDelayPassesInServedTime)
{
    ASSERT_TRUE(writeByte("Ftst", 1));
    ASSERT_TRUE(test::eventually([&] { return writeByte("F0Md", 1); }));
    const auto journal = writes();
    ASSERT_GE(journal.size(), 2u);
    EXPECT_EQ(journal.front()["key"], "Ftst");
    EXPECT_EQ(journal.back()["result"], 0);
    EXPECT_GE(journal.back()["t"].get<double>() - journal.front()["t"].get<double>(), 3.0);
    for (std::size_t i = 1; i + 1 < journal.size(); ++i)
        EXPECT_EQ(journal[i]["result"], 0x86);
}

} // namespace
} // namespace brisvane
