// The machine around the virtual SMC, in model time: the firmware's curve and unlock, the fans'
// lag and noise, the thermal model, faults and scripted firmware.
#include "platform/virtual-mac/VirtualSmc.h"

#include "platform/virtual-mac/SmcValueCodec.h"
#include "tests/virtual-mac/VsmcTestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace brisvane {
namespace {

using test::call;
using test::writeRequest;

std::uint8_t writeByte(VirtualSmc& smc, const std::string& key, std::uint8_t value)
{
    return call(smc, writeRequest(key, {value}, 1)).result;
}

std::uint8_t writeTarget(VirtualSmc& smc, const std::string& key, float rpm)
{
    return call(smc, writeRequest(key, SmcValueCodec::floatBytes(rpm), 4)).result;
}

double actual(VirtualSmc& smc, int fan)
{
    return *smc.readFloatKey("F" + std::to_string(fan) + "Ac");
}

// Ftst, wait out the delay, then manual mode on fan 0.
void takeFanZero(VirtualSmc& smc)
{
    ASSERT_EQ(writeByte(smc, "Ftst", 1), 0);
    smc.advance(3.0);
    ASSERT_EQ(writeByte(smc, "F0Md", 1), 0);
}

TEST(VirtualFirmware, TakesManualModeOnlyAsTheMachineAllows)
{
    const struct {
        const char* profile;
        bool unlockFirst;      // write Ftst=1 at t=0
        double waitSeconds;    // then let this much model time pass
        std::uint8_t expected; // the answer to F0Md <- 1 (F0md on the desktop)
    } rows[] = {
        {"two-fan-laptop", false, 10, 0x86}, {"two-fan-laptop", true, 0, 0x86},
        {"two-fan-laptop", true, 2.9, 0x86}, {"two-fan-laptop", true, 3.0, 0},
        {"one-fan-desktop", false, 0, 0},    {"stubborn-firmware", true, 60, 0x86},
        {"missing-mode-key", true, 3.0, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message()
                     << row.profile << " " << row.unlockFirst << " " << row.waitSeconds);
        VirtualSmc smc(row.profile);
        const std::string modeKey = smc.key("F0Md") ? "F0Md" : "F0md";
        if (row.unlockFirst) {
            ASSERT_EQ(writeByte(smc, "Ftst", 1), 0);
        }
        smc.advance(row.waitSeconds);
        EXPECT_EQ(writeByte(smc, modeKey, 1), row.expected);
        EXPECT_EQ(smc.key(modeKey)->data[0], row.expected == 0 ? 1 : 0)
            << "a refused mode write changes nothing";
    }
}

TEST(VirtualFirmware, AcceptDelayCanChangeAndWithdrawingTheUnlockRefusesAgain)
{
    VirtualSmc smc;
    smc.setModeAcceptDelay(0.5);
    ASSERT_EQ(writeByte(smc, "Ftst", 1), 0);
    smc.advance(0.5);
    EXPECT_EQ(writeByte(smc, "F0Md", 1), 0);
    EXPECT_EQ(writeByte(smc, "F0Md", 0), 0) << "automatic is always accepted";
    EXPECT_EQ(writeByte(smc, "F0Md", 2), 0x86) << "only 0 and 1 are modes";
    EXPECT_EQ(writeByte(smc, "Ftst", 2), 0x86);
    ASSERT_EQ(writeByte(smc, "Ftst", 0), 0);
    EXPECT_EQ(writeByte(smc, "F0Md", 1), 0x86);

    smc.setModeAcceptDelay(std::nullopt);
    ASSERT_EQ(writeByte(smc, "Ftst", 1), 0);
    smc.advance(100);
    EXPECT_EQ(writeByte(smc, "F1Md", 1), 0x86);
    smc.setModeAcceptDelay(1);
    EXPECT_EQ(writeByte(smc, "F1Md", 1), 0) << "the unlock has long been held";
}

TEST(VirtualFirmware, AutomaticFansFollowTheFirmwareCurveOnceASecond)
{
    VirtualSmc smc;
    smc.setFanNoise(0);
    smc.pinTemperature(81.0); // two-fan-laptop curve: 70 °C → 25 %, 92 °C → 100 %
    smc.advance(0.5);
    EXPECT_EQ(smc.readFloatKey("F0Tg"), 1200.0f) << "the firmware acts on whole seconds";
    smc.advance(0.5);
    const double expected = 1200 + (0.25 + 0.75 * 11.0 / 22.0) * 4800;
    EXPECT_NEAR(*smc.readFloatKey("F0Tg"), expected, 1.0);
    EXPECT_NEAR(*smc.readFloatKey("F1Tg"), expected, 1.0);

    // A target written in automatic mode lasts only until the firmware's next pass.
    ASSERT_EQ(writeTarget(smc, "F0Tg", 2000), 0);
    smc.advance(1.0);
    EXPECT_NEAR(*smc.readFloatKey("F0Tg"), expected, 1.0);
}

TEST(VirtualFirmware, ManualFansObeyWrittenTargetsAndActualSpeedFollowsWithLag)
{
    VirtualSmc smc;
    smc.setFanNoise(0);
    takeFanZero(smc);
    ASSERT_EQ(writeTarget(smc, "F0Tg", 4000), 0);
    smc.advance(0.5);
    EXPECT_GT(actual(smc, 0), 1300);
    EXPECT_LT(actual(smc, 0), 3500) << "the rotor needs time";
    smc.advance(6);
    EXPECT_NEAR(actual(smc, 0), 4000, 40);
    EXPECT_EQ(smc.readFloatKey("F0Tg"), 4000.0f) << "the firmware leaves a manual fan alone";
    EXPECT_NEAR(actual(smc, 1), 1200, 1) << "fan 1 is still automatic at idle";

    // Beyond the range the fan runs at its limit; the target stays as written.
    ASSERT_EQ(writeTarget(smc, "F0Tg", 9000), 0);
    smc.advance(10);
    EXPECT_NEAR(actual(smc, 0), 6000, 2);
    EXPECT_LE(actual(smc, 0), 6000);
    ASSERT_EQ(writeTarget(smc, "F0Tg", 0), 0);
    smc.advance(10);
    EXPECT_NEAR(actual(smc, 0), 1200, 2);

    // Back to automatic: the firmware's curve rules again.
    smc.pinTemperature(92);
    ASSERT_EQ(writeByte(smc, "F0Md", 0), 0);
    smc.advance(10);
    EXPECT_EQ(smc.readFloatKey("F0Tg"), 6000.0f);
    EXPECT_NEAR(actual(smc, 0), 6000, 5);
}

TEST(VirtualFirmware, AStalledFanWindsDownToZeroWhateverItsTargetAndModeAndSpinsAgain)
{
    const struct {
        const char* name;
        bool manual; // fan 0 taken over and given a high target first
        bool noise;  // the reading's jitter left on
    } rows[] = {{"automatic", false, false}, {"manual", true, false}, {"manual noisy", true, true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        VirtualSmc smc;
        if (!row.noise)
            smc.setFanNoise(0);
        smc.pinTemperature(92); // the firmware's curve asks for the maximum
        if (row.manual) {
            takeFanZero(smc);
            ASSERT_EQ(writeTarget(smc, "F0Tg", 5000), 0);
        }
        smc.advance(10);
        const double spinning = actual(smc, 0);
        EXPECT_GT(spinning, 4900);
        smc.setFanStalled(0, true);
        smc.advance(0.5);
        EXPECT_GT(actual(smc, 0), 100) << "the rotor winds down with the usual lag";
        EXPECT_LT(actual(smc, 0), spinning - 1000);
        smc.advance(15);
        EXPECT_EQ(actual(smc, 0), 0.0) << "below its minimum, at rest";
        EXPECT_TRUE(smc.status().fans[0].stalled);
        EXPECT_GT(actual(smc, 1), 4900) << "the other fan turns on";
        ASSERT_EQ(writeTarget(smc, "F0Tg", 6000), 0);
        smc.advance(2);
        EXPECT_EQ(actual(smc, 0), 0.0) << "a new target moves nothing";
        smc.setFanStalled(0, false);
        smc.advance(10);
        EXPECT_GT(actual(smc, 0), 4900);
        EXPECT_FALSE(smc.status().fans[0].stalled);
    }
    VirtualSmc smc;
    EXPECT_THROW(smc.setFanStalled(2, true), std::invalid_argument);
}

TEST(ThermalModel, AStalledFansAirflowLeavesTheModel)
{
    const auto settle = [](bool stallOne) {
        VirtualSmc smc;
        smc.setModeAcceptDelay(0);
        EXPECT_EQ(writeByte(smc, "Ftst", 1), 0);
        for (const char* key : {"F0Md", "F1Md"})
            EXPECT_EQ(writeByte(smc, key, 1), 0);
        for (const char* key : {"F0Tg", "F1Tg"})
            EXPECT_EQ(writeTarget(smc, key, 6000), 0);
        smc.setWorkload(1, 1);
        if (stallOne)
            smc.setFanStalled(1, true);
        smc.advance(400);
        return smc.status().hottest;
    };
    const double bothTurning = settle(false);
    const double oneStalled = settle(true);
    EXPECT_GT(oneStalled, bothTurning + 5) << bothTurning << " vs " << oneStalled;
}

TEST(ThermalModel, SettlesWhereTheLoadAndTheFirmwaresCoolingPutIt)
{
    const struct {
        const char* profile;
        double cpu, gpu, seconds; // the workload and how long it runs with the firmware's cooling
        double low, high;         // where the hottest die settles
    } rows[] = {
        {"two-fan-laptop", 0, 0, 120, 40, 46},
        {"two-fan-laptop", 0.5, 0, 300, 60, 80},
        {"two-fan-laptop", 1, 1, 300, 80, 95},
        {"fanless", 1, 0, 600, 95, 150},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.profile << " at " << row.cpu << "/" << row.gpu);
        VirtualSmc smc(row.profile);
        smc.setWorkload(row.cpu, row.gpu);
        smc.advance(row.seconds);
        EXPECT_GT(smc.status().hottest, row.low);
        EXPECT_LT(smc.status().hottest, row.high);
        EXPECT_TRUE(smc.takeJournal().empty()) << "the firmware's own targets are not SMC writes";
    }
}

TEST(ThermalModel, FansHeldAtTheirMinimumRunFarHotterAndFastFansCoolTheDiesDown)
{
    VirtualSmc weak;
    weak.setModeAcceptDelay(0);
    ASSERT_EQ(writeByte(weak, "Ftst", 1), 0);
    for (const char* key : {"F0Md", "F1Md"})
        ASSERT_EQ(writeByte(weak, key, 1), 0);
    weak.setWorkload(1, 1);
    weak.advance(300);
    EXPECT_GT(weak.status().hottest, 100);
    for (const char* key : {"F0Tg", "F1Tg"})
        ASSERT_EQ(writeTarget(weak, key, 6000), 0);
    weak.advance(300);
    EXPECT_LT(weak.status().hottest, 95) << "below full load under the firmware's own cooling";
}

TEST(ThermalModel, PinnedTemperaturesOverrideEverySensorUntilReleased)
{
    VirtualSmc smc;
    const auto modelled = smc.readFloatKey("Tp01");
    const auto battery = smc.readFloatKey("TB0T");
    smc.pinTemperature(70.0);
    for (const char* key : {"Tp01", "Te05", "Tg0T"})
        EXPECT_EQ(smc.readFloatKey(key), 70.0f) << key;
    EXPECT_EQ(smc.readFloatKey("Tp0X"), 0.0f) << "an absent sensor stays absent";
    EXPECT_EQ(smc.readFloatKey("TB0T"), battery) << "not a die sensor";
    smc.pinTemperature(std::nullopt);
    EXPECT_EQ(smc.readFloatKey("Tp01"), modelled);
}

TEST(VirtualSmcFaults, KeyFaultsAnswerTheirResultForTheirCountThenStop)
{
    VirtualSmc smc;
    auto registration = smc.registerAsService();
    SMCConnection connection;
    connection.keyInfo("F0Ac");
    smc.injectFault("F0Ac", SmcOperation::read, 0x85, 2);
    for (int i = 0; i < 2; ++i)
        EXPECT_THROW(connection.readFloat("F0Ac"), SMCError);
    EXPECT_EQ(connection.readFloat("F0Ac"), 1200.0f);

    smc.injectFault("F0Tg", SmcOperation::write, 0x86);
    smc.takeJournal();
    for (int i = 0; i < 3; ++i)
        EXPECT_THROW(connection.writeFloat("F0Tg", 3000), SMCError);
    const auto journal = smc.takeJournal();
    ASSERT_EQ(journal.size(), 3u);
    EXPECT_EQ(journal[2].result, 0x86);
    EXPECT_EQ(smc.readFloatKey("F0Tg"), 1200.0f) << "a faulted write is not applied";

    smc.injectFault("FNum", SmcOperation::info, 0x84);
    EXPECT_EQ(SMCConnection().fanCount(), 0) << "a fresh connection cannot learn FNum's size";
    smc.clearFaults();
    EXPECT_EQ(SMCConnection().fanCount(), 2);
    EXPECT_THROW(smc.injectFault("F0Ac", SmcOperation::read, 0), std::invalid_argument);
}

TEST(VirtualSmcFaults, TransportFaultsFailWholeCallsWithTheKernelCode)
{
    VirtualSmc smc;
    auto registration = smc.registerAsService();
    SMCConnection connection;
    smc.injectTransportFault(kIOReturnNotResponding, 1);
    try {
        connection.readBytes("FNum");
        FAIL();
    } catch (const SMCError& e) {
        EXPECT_EQ(e.kind(), SMCError::Kind::callFailed);
        EXPECT_EQ(e.code(), kIOReturnNotResponding);
    }
    EXPECT_EQ(connection.fanCount(), 2) << "one call only";
    smc.injectTransportFault(kIOReturnTimeout);
    EXPECT_EQ(connection.fanCount(), 0);
    EXPECT_EQ(connection.fanCount(), 0);
    smc.clearTransportFault();
    EXPECT_EQ(connection.fanCount(), 2);
}

} // namespace
} // namespace brisvane
