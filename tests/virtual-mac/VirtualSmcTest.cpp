// The virtual SMC as a user client: result codes, the journal, the counters, and SMCKit on top
// of it through an in-process registration.
#include "platform/virtual-mac/VirtualSmc.h"

#include "platform/virtual-mac/SmcValueCodec.h"
#include "tests/virtual-mac/VsmcTestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>
#include <thread>

namespace brisvane {
namespace {

using test::call;
using test::request;
using test::writeRequest;
using ::testing::ElementsAre;

struct ResultCase {
    const char* name;
    SMCParamStruct input;
    std::uint8_t result;
};

SMCParamStruct indexRequest(std::uint32_t index)
{
    auto record = request(SMCCommand::getKeyFromIndex);
    record.data32 = index;
    return record;
}

std::string PrintToString(const ResultCase& c)
{
    return c.name;
}

class VirtualSmcResults : public ::testing::TestWithParam<ResultCase> {};

TEST_P(VirtualSmcResults, AnswersWithTheFirmwareResultByte)
{
    VirtualSmc smc;
    EXPECT_EQ(call(smc, GetParam().input).result, GetParam().result);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, VirtualSmcResults,
    ::testing::Values(ResultCase{"infoOfKnownKey", request(SMCCommand::getKeyInfo, "F0Ac"), 0},
                      ResultCase{"infoOfUnknownKey", request(SMCCommand::getKeyInfo, "ZZZZ"), 0x84},
                      ResultCase{"readOfUnknownKey", request(SMCCommand::readKey, "ZZZZ"), 0x84},
                      ResultCase{"readOfSizeZeroKey", request(SMCCommand::readKey, "zKL0"), 0},
                      ResultCase{"writeTarget", writeRequest("F0Tg", {0, 0x40, 0xe7, 0x44}, 4), 0},
                      ResultCase{"writeReadOnlyKey", writeRequest("F0Mx", {0, 0, 0, 0}, 4), 0x86},
                      ResultCase{"writeWrongSize", writeRequest("F0Tg", {1}, 1), 0x86},
                      ResultCase{"writeOversized", writeRequest("F0Tg", {}, 40), 0x86},
                      ResultCase{"writeUnknownKey", writeRequest("ZZZZ", {1}, 1), 0x84},
                      ResultCase{"indexInRange", indexRequest(3), 0},
                      ResultCase{"indexPastTheEnd", indexRequest(100000), 0x84},
                      ResultCase{"unknownCommand", request(static_cast<SMCCommand>(7), "F0Ac"),
                                 0x82}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(VirtualSmc, OtherSelectorsAndMalformedCallsAreBadArgumentsWithAZeroedRecord)
{
    VirtualSmc smc;
    const SMCParamStruct input = request(SMCCommand::readKey, "FNum");
    SMCParamStruct output;
    std::memset(&output, 0xAB, sizeof output);
    std::size_t size = sizeof output;
    EXPECT_EQ(smc.callStructMethod(3, &input, sizeof input, &output, &size), kIOReturnBadArgument);
    const SMCParamStruct zero = SMCParamStruct::zeroed();
    EXPECT_EQ(std::memcmp(&output, &zero, sizeof output), 0);

    size = sizeof output;
    EXPECT_EQ(smc.callStructMethod(2, &input, 79, &output, &size), kIOReturnBadArgument);
    size = 40;
    EXPECT_EQ(smc.callStructMethod(2, &input, sizeof input, &output, &size), kIOReturnBadArgument);
    EXPECT_EQ(smc.callCounts().other, 3u);
}

TEST(VirtualSmc, CountKeyIsTheDirectorySizeBigEndianAndIndexesCoverEveryKeyOnce)
{
    VirtualSmc smc;
    const auto count = smc.key("#KEY");
    ASSERT_TRUE(count);
    ASSERT_EQ(count->data.size(), 4u);
    const std::uint32_t n =
        count->data[0] << 24 | count->data[1] << 16 | count->data[2] << 8 | count->data[3];
    EXPECT_EQ(n, smc.keyCount());

    std::set<std::uint32_t> seen;
    std::uint32_t previous = 0;
    for (std::uint32_t i = 0; i < n; ++i) {
        const SMCParamStruct reply = call(smc, indexRequest(i));
        ASSERT_EQ(reply.result, 0) << i;
        EXPECT_GT(reply.key, previous) << "directory order at " << i;
        previous = reply.key;
        seen.insert(reply.key);
        EXPECT_EQ(call(smc, request(SMCCommand::getKeyInfo, smcFourCCString(reply.key))).result, 0);
    }
    EXPECT_EQ(seen.size(), n);
}

TEST(VirtualSmc, JournalRecordsEveryWriteWithItsResultAndTakingEmptiesIt)
{
    VirtualSmc smc;
    call(smc, writeRequest("F0Tg", {0, 0x40, 0xe7, 0x44}, 4));
    smc.advance(1.5);
    call(smc, writeRequest("F0Mx", {1, 2, 3, 4}, 4));
    call(smc, writeRequest("NoSK", {9}, 1));

    const auto journal = smc.takeJournal();
    ASSERT_EQ(journal.size(), 3u);
    EXPECT_EQ(journal[0].key, "F0Tg");
    EXPECT_THAT(journal[0].bytes, ElementsAre(0x00, 0x40, 0xe7, 0x44));
    EXPECT_EQ(journal[0].result, 0);
    EXPECT_DOUBLE_EQ(journal[0].t, 0.0);
    EXPECT_EQ(journal[1].key, "F0Mx");
    EXPECT_EQ(journal[1].result, 0x86);
    EXPECT_DOUBLE_EQ(journal[1].t, 1.5);
    EXPECT_EQ(journal[2].result, 0x84);
    EXPECT_TRUE(smc.takeJournal().empty());

    // A refused write leaves the value as it was.
    EXPECT_EQ(smc.readFloatKey("F0Mx"), 6000.0f);
}

class RegisteredVirtualSmc : public ::testing::Test {
protected:
    VirtualSmc smc;
    VirtualSmc::ServiceRegistration registration = smc.registerAsService();
};

TEST_F(RegisteredVirtualSmc, ConnectionsOnSeveralThreadsEachSeeWholeCalls)
{
    std::vector<std::thread> threads;
    std::atomic<int> failures{0};
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            SMCConnection connection;
            for (int i = 0; i < 200; ++i) {
                connection.writeFloat("F1Tg", static_cast<float>(1000 + t));
                if (connection.readFloat("F0Mx") != 6000.0f || connection.fanCount() != 2)
                    ++failures;
            }
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(smc.takeJournal().size(), 800u);
}

TEST(VirtualSmcRegistration, EndsWithItsScopeAndLeftoverConnectionsStopAnswering)
{
    auto smc = std::make_unique<VirtualSmc>();
    std::optional<SMCConnection> connection;
    {
        auto registration = smc->registerAsService();
        connection.emplace();
        EXPECT_EQ(connection->fanCount(), 2);
    }
    smc.reset();
    try {
        connection->readBytes("FNum");
        FAIL() << "a connection to an unregistered model must fail";
    } catch (const SMCError& e) {
        EXPECT_EQ(e.kind(), SMCError::Kind::callFailed);
        EXPECT_EQ(e.code(), kIOReturnNotResponding);
    }
    {
        test::ScopedSystemRoot nowhere("/nonexistent-vmac-root");
        EXPECT_THROW(SMCConnection(), SMCError) << "no service is left registered";
    }
}

TEST(VirtualSmcRegistration, UsesTheProfilesServiceClass)
{
    MachineProfile profile = MachineProfile::loadNamed("two-fan-laptop");
    profile.serviceClass = "AppleSMC";
    VirtualSmc smc(std::move(profile));
    auto registration = smc.registerAsService();
    EXPECT_EQ(registration.serviceClass(), "AppleSMC");
    test::ScopedSystemRoot nowhere("/nonexistent-vmac-root");
    SMCConnection connection; // falls back to AppleSMC when AppleSMCKeysEndpoint is absent
    EXPECT_EQ(connection.fanCount(), 2);
}

} // namespace
} // namespace brisvane
