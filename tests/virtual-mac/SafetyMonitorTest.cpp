// The safety monitor: what it records of fans driven by SMC writes. Its floor table is checked
// beside the daemon's, in HelperSharedTest.
#include "platform/virtual-mac/SafetyMonitor.h"

#include "platform/virtual-mac/SmcValueCodec.h"
#include "platform/virtual-mac/VirtualSmc.h"
#include "smc/SMCTemperatureSensors.h"
#include "tests/virtual-mac/VsmcTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

namespace brisvane {
namespace {

using test::call;
using test::writeRequest;

class MonitoredMac : public ::testing::Test {
protected:
    VirtualSmc smc;

    void SetUp() override
    {
        smc.setFanNoise(0);
        smc.setModeAcceptDelay(0);
        ASSERT_EQ(write("Ftst", {1}), 0);
    }
    std::uint8_t write(const std::string& key, const std::vector<std::uint8_t>& bytes)
    {
        return call(smc, writeRequest(key, bytes, static_cast<std::uint32_t>(bytes.size()))).result;
    }
    std::uint8_t target(int fan, float rpm)
    {
        return write("F" + std::to_string(fan) + "Tg", SmcValueCodec::floatBytes(rpm));
    }
    // Keeps writing `rpm` to fan 0 once a second, as a controller does.
    void hold(float rpm, int seconds)
    {
        for (int i = 0; i < seconds; ++i) {
            ASSERT_EQ(target(0, rpm), 0);
            smc.advance(1.0);
        }
    }
};

TEST_F(MonitoredMac, AManualFanHeldAtOrAboveTheFloorIsFine)
{
    smc.pinTemperature(80); // floor 47.5 % → 1200 + 0.475 × 4800 = 3480
    ASSERT_EQ(write("F0Md", {1}), 0);
    hold(3480, 20);
    EXPECT_TRUE(smc.violations().empty());
}

TEST_F(MonitoredMac, AManualFanHeldBelowTheFloorIsRecordedEverySecond)
{
    smc.pinTemperature(80);
    smc.advance(1.5);
    ASSERT_EQ(write("F0Md", {1}), 0);
    hold(3000, 2);          // judged at t = 2 and 3
    hold(3480, 3);          // 4, 5, 6
    smc.pinTemperature(95); // floor 100 %: anything under 6000 is too slow
    hold(5000, 3); // 7 is judged by the 80 °C a once-a-second controller last saw; 8, 9 are not

    const auto findings = smc.violations();
    ASSERT_EQ(findings.size(), 2u);
    EXPECT_EQ(findings[0].fan, 0);
    EXPECT_EQ(findings[0].kind, SafetyViolation::Kind::belowFloor);
    EXPECT_EQ(findings[0].seconds, 2);
    EXPECT_DOUBLE_EQ(findings[0].from, 2.0);
    EXPECT_DOUBLE_EQ(findings[0].to, 3.0);
    EXPECT_NEAR(findings[0].requiredRPM, 3480, 0.5);
    EXPECT_EQ(findings[0].targetRPM, 3000);
    EXPECT_EQ(findings[1].seconds, 2);
    EXPECT_DOUBLE_EQ(findings[1].from, 8.0);
    EXPECT_DOUBLE_EQ(findings[1].requiredRPM, 6000);
}

TEST_F(MonitoredMac, TheFirmwaresOwnChoiceBeforeTheTakeoverIsAFloorToo)
{
    VirtualSmc warm;
    warm.setFanNoise(0);
    warm.setModeAcceptDelay(0);
    warm.pinTemperature(70); // floor 12.5 % = 1800; firmware curve 25 % = 2400
    warm.advance(3);
    ASSERT_EQ(call(warm, writeRequest("Ftst", {1}, 1)).result, 0);
    ASSERT_EQ(call(warm, writeRequest("F0Md", {1}, 1)).result, 0);
    for (int i = 0; i < 3; ++i) {
        call(warm, writeRequest("F0Tg", SmcValueCodec::floatBytes(2000), 4));
        warm.advance(1);
    }
    const auto findings = warm.violations();
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_NEAR(findings[0].requiredRPM, 2400, 1);
}

TEST_F(MonitoredMac, AManualFanWithoutTargetsForOverSevenSecondsIsRecorded)
{
    ASSERT_EQ(write("F0Md", {1}), 0);
    ASSERT_EQ(target(0, 1500), 0);
    smc.advance(7.0);
    EXPECT_TRUE(smc.violations().empty()) << "seven seconds are allowed";
    smc.advance(3.0);
    auto findings = smc.violations();
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_EQ(findings[0].kind, SafetyViolation::Kind::noTarget);
    EXPECT_EQ(findings[0].fan, 0);
    EXPECT_EQ(findings[0].seconds, 3);

    // Handing the fan back ends it; an automatic fan is the firmware's business.
    ASSERT_EQ(write("F0Md", {0}), 0);
    smc.advance(20);
    EXPECT_EQ(smc.violations().size(), 1u);
    EXPECT_EQ(smc.violations()[0].seconds, 3);
}

TEST_F(MonitoredMac, EnteringManualModeStartsTheSilenceClock)
{
    smc.advance(20); // long since any target was written
    ASSERT_EQ(write("F1Md", {1}), 0);
    smc.advance(7);
    EXPECT_TRUE(smc.violations().empty());
    smc.advance(1);
    ASSERT_EQ(smc.violations().size(), 1u);
    EXPECT_EQ(smc.violations()[0].fan, 1);
}

// A controller that does what a correct once-a-second daemon does: while idle it remembers the
// firmware's targets; asked for control it unlocks, retries manual mode each tick, then writes
// max(request, safety floor of the hottest die it just read, the remembered target) every tick.
// The monitor must never flag it, however the heat changes under it.
TEST(SafetyMonitor, NeverFlagsACorrectOnceASecondController)
{
    VirtualSmc smc;
    auto registration = smc.registerAsService();
    auto connection = std::make_shared<SMCConnection>();
    SMCTemperatureSensors sensors(connection);
    const auto key = [](int fan, const char* suffix) { return "F" + std::to_string(fan) + suffix; };
    bool unlocked = false, controlling = false;
    double remembered[2] = {0, 0};

    struct Phase {
        double until;
        double cpu, gpu;
        bool wanted;
        double request;
    };
    const Phase phases[] = {{20, 0.8, 0.2, false, 0},    {60, 1.0, 1.0, true, 0},
                            {90, 0.2, 0.0, true, 2000},  {110, 1.0, 0.5, false, 0},
                            {150, 1.0, 0.5, true, 1500}, {200, 0.0, 0.0, true, 0}};
    smc.advance(0.37); // ticks fall between the firmware's whole seconds
    for (const Phase& phase : phases) {
        smc.setWorkload(phase.cpu, phase.gpu);
        for (; smc.now() < phase.until; smc.advance(1.0)) {
            if (!phase.wanted) {
                if (unlocked) {
                    for (int fan = 0; fan < 2; ++fan)
                        connection->writeUInt8(key(fan, "Md"), 0);
                    connection->writeUInt8("Ftst", 0);
                    unlocked = controlling = false;
                }
                for (int fan = 0; fan < 2; ++fan)
                    remembered[fan] = connection->readFloat(key(fan, "Tg"));
                continue;
            }
            if (!unlocked)
                connection->writeUInt8("Ftst", 1);
            unlocked = true;
            try {
                for (int fan = 0; fan < 2 && !controlling; ++fan)
                    connection->writeUInt8(key(fan, "Md"), 1);
                controlling = true;
            } catch (const SMCError&) {
                continue; // the firmware's unlock delay
            }
            const double floor = SafetyMonitor::floorPercent(sensors.snapshot().hottest);
            const double safety = floor > 0 ? 1200 + floor / 100 * 4800 : 0;
            for (int fan = 0; fan < 2; ++fan)
                connection->writeFloat(
                    key(fan, "Tg"),
                    static_cast<float>(
                        std::min(std::max({phase.request, safety, remembered[fan]}), 6000.0)));
        }
    }
    for (const auto& v : smc.violations())
        ADD_FAILURE() << "fan " << v.fan << " " << SafetyViolation::kindName(v.kind) << " at "
                      << v.from << "-" << v.to << ": target " << v.targetRPM << " < "
                      << v.requiredRPM << " at " << v.hottestCelsius << " °C";
    EXPECT_GT(smc.status().hottest, 40);
}

} // namespace
} // namespace brisvane
