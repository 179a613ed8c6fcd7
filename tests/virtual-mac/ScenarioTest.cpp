// Scenarios over real processes: SMCKit talks to brisvane-vsmc over its socket, the test
// steers and inspects it through the control socket (status, writes, violations).
#include "VsmcTestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace brisvane {
namespace {

using nlohmann::json;

class Scenario : public ::testing::Test {
protected:
    explicit Scenario(const std::string& profile = VirtualSmc::kDefaultProfile,
                      std::vector<std::string> arguments = {})
        : mac(profile, std::move(arguments))
        , root(mac.root())
    {}

    json control(const std::string& line)
    {
        const json reply = mac.control(line);
        EXPECT_EQ(reply["ok"], true) << line << ": " << reply;
        return reply;
    }
    json fan(int index) { return control("status")["fans"][index]; }
    std::vector<json> writes() { return control("writes")["writes"].get<std::vector<json>>(); }
    json violations() { return control("violations")["violations"]; }

    // Result byte of a write through SMCKit: 0, or the SMC's refusal.
    int writeByte(const std::string& key, std::uint8_t value)
    {
        try {
            smc().writeUInt8(key, value);
            return 0;
        } catch (const SMCError& e) {
            return e.smcResult();
        }
    }
    SMCConnection& smc()
    {
        if (!m_connection)
            m_connection.emplace();
        return *m_connection;
    }
    // A controller's loop: the target once a second for `seconds` of model time.
    void hold(int fanIndex, float rpm, int seconds)
    {
        for (int i = 0; i < seconds; ++i) {
            smc().writeFloat("F" + std::to_string(fanIndex) + "Tg", rpm);
            control("advance 1");
        }
    }
    void takeOver(int fanIndex)
    {
        ASSERT_EQ(writeByte("Ftst", 1), 0);
        control("advance 3");
        ASSERT_EQ(writeByte("F" + std::to_string(fanIndex) + "Md", 1), 0);
    }

    test::ServedVirtualMac mac;
    test::ScopedSystemRoot root;

private:
    std::optional<SMCConnection> m_connection;
};

TEST_F(Scenario, LoadRaisesTemperaturesAndTheFirmwaresOwnTargets)
{
    const json idle = control("status");
    EXPECT_LT(idle["hottest"].get<double>(), 46);
    control("load 1 0.6");
    control("advance 60");
    const json loaded = control("status");
    EXPECT_GT(loaded["hottest"].get<double>(), 75);
    EXPECT_EQ(loaded["load"], json({{"cpu", 1.0}, {"gpu", 0.6}}));
    for (int i = 0; i < 2; ++i) {
        EXPECT_GT(loaded["fans"][i]["target"].get<double>(), 3000) << "fan " << i;
        EXPECT_EQ(loaded["fans"][i]["mode"], 0);
    }
    EXPECT_GT(smc().readFloat("Tp09"), 75.0f) << "what SMCKit reads is the same machine";
    EXPECT_TRUE(writes().empty()) << "the firmware's own targets are not client writes";
    EXPECT_TRUE(violations().empty());
}

TEST_F(Scenario, ModeWritesAreRefusedUntilTheUnlockDelayHasPassed)
{
    EXPECT_EQ(writeByte("F0Md", 1), 0x86) << "no unlock yet";
    ASSERT_EQ(writeByte("Ftst", 1), 0);
    EXPECT_EQ(writeByte("F0Md", 1), 0x86);
    control("advance 2.9");
    EXPECT_EQ(writeByte("F0Md", 1), 0x86);
    control("advance 0.2");
    EXPECT_EQ(writeByte("F0Md", 1), 0);
    EXPECT_EQ(writeByte("F1Md", 1), 0);

    const auto journal = writes();
    ASSERT_EQ(journal.size(), 6u);
    std::vector<int> results;
    for (const json& w : journal)
        results.push_back(w["result"]);
    EXPECT_THAT(results, ::testing::ElementsAre(0x86, 0, 0x86, 0x86, 0, 0));
    EXPECT_EQ(journal[1]["key"], "Ftst");
    EXPECT_EQ(journal[1]["bytes"], "01");
    EXPECT_GE(journal[4]["t"].get<double>() - journal[1]["t"].get<double>(), 3.0);
    const json status = control("status");
    EXPECT_EQ(status["ftst"], 1);
    EXPECT_EQ(status["fans"][0]["mode"], 1);
}

TEST_F(Scenario, AManualTargetIsHeldWithinAFewPercentAfterTheLag)
{
    takeOver(0);
    hold(0, 4200, 8);
    const json f0 = fan(0);
    EXPECT_EQ(f0["target"], 4200.0);
    EXPECT_NEAR(f0["actual"].get<double>(), 4200, 4200 * 0.03);
    EXPECT_NEAR(fan(1)["actual"].get<double>(), 1200, 40) << "fan 1 stays with the firmware";
    EXPECT_TRUE(violations().empty());
    const auto journal = writes();
    ASSERT_FALSE(journal.empty());
    EXPECT_EQ(journal.back()["key"], "F0Tg");
    EXPECT_EQ(journal.back()["bytes"], "00408345"); // 4200.0f
}

TEST_F(Scenario, HandingBackToModeZeroResumesFirmwareControl)
{
    takeOver(0);
    hold(0, 5500, 3);
    ASSERT_EQ(writeByte("F0Md", 0), 0);
    ASSERT_EQ(writeByte("Ftst", 0), 0);
    control("advance 10");
    const json f0 = fan(0);
    EXPECT_EQ(f0["mode"], 0);
    EXPECT_EQ(f0["target"], 1200.0) << "the idle firmware's own choice";
    EXPECT_NEAR(f0["actual"].get<double>(), 1200, 40);
    EXPECT_TRUE(violations().empty()) << "an automatic fan is never held to account";
}

TEST_F(Scenario, TheMonitorFlagsAManualFanHeldBelowTheFloor)
{
    // At 85 °C the floor is 70 % (4560 RPM), but the firmware had chosen more before the
    // takeover: 25 % + 75 % × 15/22 of the range, 4855 RPM. The larger one is required.
    control("temp 85");
    control("advance 2");
    takeOver(1);
    hold(1, 3000, 4);
    hold(1, 4855, 3);
    const json found = violations();
    ASSERT_EQ(found.size(), 1u) << found;
    EXPECT_EQ(found[0]["fan"], 1);
    EXPECT_EQ(found[0]["kind"], "below-floor");
    EXPECT_EQ(found[0]["seconds"], 4);
    EXPECT_EQ(found[0]["target"], 3000.0);
    EXPECT_NEAR(found[0]["required"].get<double>(), 4855, 1);
    EXPECT_EQ(found[0]["hottest"], 85.0);
    EXPECT_LT(found[0]["from"].get<double>(), found[0]["to"].get<double>());
}

TEST_F(Scenario, TheMonitorFlagsAManualFanLeftWithoutTargetsForOverSevenSeconds)
{
    takeOver(0);
    smc().writeFloat("F0Tg", 2500);
    control("advance 7");
    EXPECT_TRUE(violations().empty());
    control("advance 3");
    const json found = violations();
    ASSERT_EQ(found.size(), 1u) << found;
    EXPECT_EQ(found[0]["fan"], 0);
    EXPECT_EQ(found[0]["kind"], "no-target");
    EXPECT_GE(found[0]["seconds"].get<int>(), 2);
}

TEST_F(Scenario, FaultsAnswerTheInjectedResultCodes)
{
    smc().readFloat("F0Ac"); // caches the key's info, as a sampler would have
    control("fault F0Ac read 0x85 2");
    for (int i = 0; i < 2; ++i) {
        try {
            smc().readFloat("F0Ac");
            ADD_FAILURE() << "read " << i << " should fail";
        } catch (const SMCError& e) {
            EXPECT_EQ(e.smcResult(), 0x85);
        }
    }
    EXPECT_EQ(smc().readFloat("F0Ac"), 1200.0f) << "the fault has run out";

    control("fault F1Tg write 0x87");
    EXPECT_THROW(smc().writeFloat("F1Tg", 2000), SMCError);
    const auto journal = writes();
    ASSERT_EQ(journal.size(), 1u);
    EXPECT_EQ(journal[0]["key"], "F1Tg");
    EXPECT_EQ(journal[0]["result"], 0x87);

    control("fault FNum info 0x84");
    EXPECT_FALSE(SMCConnection().keyExists("FNum")) << "a fresh connection sees no FNum";
    control("fault clear");

    control("transport-fault 0xe00002bc 1");
    try {
        smc().readFloat("F0Mx");
        ADD_FAILURE() << "the call should fail";
    } catch (const SMCError& e) {
        EXPECT_EQ(e.kind(), SMCError::Kind::callFailed);
        EXPECT_EQ(e.code(), kIOReturnError);
    }
    EXPECT_EQ(smc().readFloat("F0Mx"), 6000.0f);
    EXPECT_TRUE(control("status")["ok"]);
}

// Model time following the real clock (sped up): the unlock delay passes by itself.
class RealTimeScenario : public Scenario {
protected:
    RealTimeScenario()
        : Scenario("two-fan-laptop", {"--time-scale", "20"})
    {}
};

TEST_F(RealTimeScenario, TheUnlockDelayPassesInServedTime)
{
    ASSERT_EQ(writeByte("Ftst", 1), 0);
    ASSERT_TRUE(test::eventually([&] { return writeByte("F0Md", 1) == 0; }));
    const auto journal = writes();
    ASSERT_GE(journal.size(), 2u);
    EXPECT_EQ(journal.front()["key"], "Ftst");
    EXPECT_EQ(journal.back()["result"], 0);
    EXPECT_GE(journal.back()["t"].get<double>() - journal.front()["t"].get<double>(), 3.0);
    for (std::size_t i = 1; i + 1 < journal.size(); ++i)
        EXPECT_EQ(journal[i]["result"], 0x86);
}

class StubbornScenario : public Scenario {
protected:
    StubbornScenario()
        : Scenario("stubborn-firmware")
    {}
};

TEST_F(StubbornScenario, NeverGrantsManualModeUntilToldOtherwise)
{
    ASSERT_EQ(writeByte("Ftst", 1), 0);
    control("advance 60");
    EXPECT_EQ(writeByte("F0Md", 1), 0x86);
    EXPECT_EQ(control("status")["acceptModeAfter"], "never");
    control("firmware accept-mode-after 1");
    EXPECT_EQ(writeByte("F0Md", 1), 0) << "the unlock has long been held";
}

} // namespace
} // namespace brisvane
