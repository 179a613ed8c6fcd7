// SMCConnection through the IOKit layer: against an in-process virtual SMC for the protocol,
// caching and error rules, and against brisvane-vsmc processes for the transport.
#include "smc/SMCKit.h"

#include "platform/virtual-mac/VirtualSmc.h"
#include "tests/virtual-mac/VsmcTestSupport.h"

#include <gtest/gtest.h>

#include <csignal>

namespace brisvane {
namespace {

using test::profileWithKeys;
using test::ScopedSystemRoot;
using test::smcErrorOf;
using test::TemporaryRoot;

class SMCConnectionTest : public ::testing::Test {
protected:
    // An empty system root, so that only the in-process service can match.
    TemporaryRoot m_root;
    ScopedSystemRoot m_scopedRoot{m_root.path()};
    VirtualSmc m_smc{"two-fan-laptop"};
    VirtualSmc::ServiceRegistration m_registration = m_smc.registerAsService();

    std::uint64_t callsDuring(const std::function<void()>& work)
    {
        m_smc.resetCallCounts();
        work();
        return m_smc.callCounts().total();
    }
};

TEST_F(SMCConnectionTest, KeyInfoIsAskedOnceAndFailuresAreAskedAgain)
{
    SMCConnection smc;
    EXPECT_EQ(callsDuring([&] { EXPECT_FLOAT_EQ(smc.readFloat("F0Mx"), 6000.0f); }), 2u);
    EXPECT_EQ(callsDuring([&] { smc.readFloat("F0Mx"); }), 1u);
    EXPECT_EQ(callsDuring([&] { smc.keyInfo("F0Mx"); }), 0u);

    EXPECT_EQ(callsDuring([&] { EXPECT_FALSE(smc.keyExists("ZZZZ")); }), 1u);
    EXPECT_EQ(callsDuring([&] { EXPECT_FALSE(smc.keyExists("ZZZZ")); }), 1u);
    // keyName never touches the cache.
    m_smc.resetCallCounts();
    smc.keyName(0);
    EXPECT_EQ(m_smc.callCounts().getKeyInfo, 0u);
}

TEST_F(SMCConnectionTest, ReadAllFansCostsOneCallPerValueAfterWarmUp)
{
    SMCConnection smc;
    const auto fans = smc.readAllFans();
    ASSERT_EQ(fans.size(), 2u);
    EXPECT_EQ(fans[1].index, 1);
    EXPECT_DOUBLE_EQ(fans[0].minRPM, 1200);
    EXPECT_DOUBLE_EQ(fans[0].maxRPM, 6000);
    EXPECT_EQ(fans[0].modeRaw, std::optional<std::uint8_t>(0));
    // FNum, then four floats and the mode byte per fan.
    EXPECT_EQ(callsDuring([&] { smc.readAllFans(); }), 1u + 2u * 5u);
}

TEST_F(SMCConnectionTest, LowerCaseModeKeyRepeatsItsFailedUpperCaseQuery)
{
    m_smc.loadProfile("one-fan-desktop");
    SMCConnection smc;
    EXPECT_EQ(smc.fanModeKey(0), std::optional<std::string>("F0md"));
    smc.readAllFans();
    m_smc.resetCallCounts();
    smc.readAllFans();
    EXPECT_EQ(m_smc.callCounts().getKeyInfo, 1u); // F0Md, not found again
    EXPECT_EQ(m_smc.callCounts().readKey, 1u + 4u + 1u);
}

TEST_F(SMCConnectionTest, KeyLevelFailuresCarryTheSmcResult)
{
    SMCConnection smc;
    EXPECT_EQ(smcErrorOf([&] { smc.readBytes("ZZZZ"); }), "SMC key ZZZZ error (result 132)");
    EXPECT_EQ(smcErrorOf([&] { smc.keyName(100000); }), "SMC key #100000 error (result 132)");
    EXPECT_EQ(smcErrorOf([&] { smc.readFloat("FNum"); }),
              "SMC key FNum is type ui8 , expected flt ");
    EXPECT_EQ(smcErrorOf([&] { smc.readUInt8("zKL0"); }), "SMC key zKL0 error (result 255)");
    EXPECT_EQ(smcErrorOf([&] { smc.writeUInt8("FNum", 3); }), "SMC key FNum error (result 134)");
    EXPECT_EQ(smc.readBytes("zEPD").data.size(), 32u);
    EXPECT_TRUE(smc.readBytes("zKL0").data.empty());
    EXPECT_EQ(smc.keyCount(), m_smc.keyCount());
}

TEST_F(SMCConnectionTest, WritesOfTheWrongSizeNeverReachTheSmc)
{
    SMCConnection smc;
    smc.keyInfo("F0Md");
    smc.keyInfo("F0Tg");
    m_smc.takeJournal();
    m_smc.resetCallCounts();
    EXPECT_THROW(smc.writeFloat("F0Md", 1), SMCError);
    EXPECT_THROW(smc.writeUInt8("F0Tg", 1), SMCError);
    EXPECT_EQ(m_smc.callCounts().total(), 0u);

    smc.writeFloat("F0Tg", 1850);
    const auto journal = m_smc.takeJournal();
    ASSERT_EQ(journal.size(), 1u);
    EXPECT_EQ(journal[0].bytes, (std::vector<std::uint8_t>{0x00, 0x40, 0xE7, 0x44}));
}

TEST_F(SMCConnectionTest, ValuesThatAreNotWhatTheyClaimFailAsTypeMismatches)
{
    m_smc.loadProfile(profileWithKeys({
        {{"name", "FNum"}, {"type", "ui8 "}, {"value", 1}},
        {{"name", "F0Ac"}, {"type", "flt "}, {"size", 2}, {"hex", "9644"}},
        {{"name", "F0Tg"}, {"type", "ui32"}, {"hex", "00009644"}},
        {{"name", "F0Mn"}, {"type", "flt "}, {"hex", "00009644"}},
    }));
    SMCConnection smc;
    EXPECT_FLOAT_EQ(smc.readFloat("F0Mn"), 1200.0f);
    EXPECT_EQ(smcErrorOf([&] { smc.readFloat("F0Tg"); }),
              "SMC key F0Tg is type ui32, expected flt ");
    EXPECT_EQ(smcErrorOf([&] { smc.readFloat("F0Ac"); }),
              "SMC key F0Ac is type flt , expected flt ");
}

TEST_F(SMCConnectionTest, ReadAllFansIsAllOrNothing)
{
    const nlohmann::json fan0 = {
        {{"name", "F0Ac"}, {"type", "flt "}, {"value", 1300.0}},
        {{"name", "F0Tg"}, {"type", "flt "}, {"value", 1300.0}},
        {{"name", "F0Mn"}, {"type", "flt "}, {"value", 1200.0}},
        {{"name", "F0Mx"}, {"type", "flt "}, {"value", 6000.0}},
    };
    nlohmann::json keys = fan0;
    keys.push_back({{"name", "FNum"}, {"type", "ui8 "}, {"value", 2}});
    for (const char* suffix : {"Ac", "Tg", "Mn"})
        keys.push_back({{"name", std::string("F1") + suffix}, {"type", "flt "}, {"value", 1200.0}});
    m_smc.loadProfile(profileWithKeys(keys));
    {
        SMCConnection smc;
        EXPECT_EQ(smc.fanCount(), 2);
        EXPECT_NO_THROW(smc.readFan(0));
        EXPECT_EQ(smc.readFan(0).modeRaw, std::nullopt);
        EXPECT_THROW(smc.readAllFans(), SMCError);
    }

    m_smc.loadProfile(profileWithKeys(fan0)); // no FNum at all
    SMCConnection smc;
    EXPECT_EQ(smc.fanCount(), 0);
    EXPECT_TRUE(smc.readAllFans().empty());
}

TEST(SMCConnectionOpen, NoServiceMeansServiceNotFound)
{
    TemporaryRoot root;
    ScopedSystemRoot scoped(root.path());
    try {
        SMCConnection smc;
        FAIL();
    } catch (const SMCError& e) {
        EXPECT_EQ(e.kind(), SMCError::Kind::serviceNotFound);
        EXPECT_STREQ(e.what(), "AppleSMC service not found");
    }
}

TEST(SMCConnectionOpen, ASocketNobodyServesIsARefusedOpen)
{
    TemporaryRoot root;
    ScopedSystemRoot scoped(root.path());
    std::filesystem::create_directories(root.path() / "var/run/iokit");
    ASSERT_TRUE(test::leaveStaleSocket(root.path() / "var/run/iokit/AppleSMC"));
    EXPECT_EQ(smcErrorOf([] { SMCConnection smc; }), "IOServiceOpen failed (0xe00002e2)");
}

// A server that stops answering fails the calls made meanwhile within the call's bound, never a
// hang; once it answers again the same connection works on a fresh stream.
TEST(SMCConnectionTransport, AStallCostsOnlyTheCallsMadeDuringIt)
{
    test::ServedVirtualMac mac;
    ScopedSystemRoot scoped(mac.root());
    SMCConnection smc;
    EXPECT_FLOAT_EQ(smc.readFloat("F0Mx"), 6000.0f);
    EXPECT_FLOAT_EQ(smc.readFloat("F0Mn"), 1200.0f);

    ::kill(mac.pid(), SIGSTOP);
    EXPECT_EQ(smcErrorOf([&] { smc.readFloat("F0Mx"); }), "SMC call failed (0xe00002d6)");
    ::kill(mac.pid(), SIGCONT);
    // The late answer for F0Mx (6000) must not be taken for this one.
    EXPECT_FLOAT_EQ(smc.readFloat("F0Mn"), 1200.0f);
    EXPECT_EQ(smc.fanCount(), 2);
}

TEST(SMCConnectionTransport, AServerThatDiedFailsEveryLaterCall)
{
    test::ServedVirtualMac mac;
    ScopedSystemRoot scoped(mac.root());
    SMCConnection smc;
    EXPECT_EQ(smc.fanCount(), 2);
    ::kill(mac.pid(), SIGKILL);
    for (int call = 0; call < 2; ++call)
        EXPECT_EQ(smcErrorOf([&] { smc.readFloat("F0Mx"); }), "SMC call failed (0xe00002ed)");
    EXPECT_FALSE(smc.keyExists("F0Mn"));
}

} // namespace
} // namespace brisvane
