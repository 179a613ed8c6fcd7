// The control language in-process: every command's effect, and clear errors for bad requests.
#include "platform/virtual-mac/ControlProtocol.h"

#include "platform/virtual-mac/VirtualSmc.h"
#include "tests/virtual-mac/VsmcTestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace brisvane {
namespace {

using nlohmann::json;
using ::testing::HasSubstr;

TEST(ControlProtocol, BadRequestsAnswerNotOkWithAReason)
{
    const std::pair<const char*, const char*> rows[] = {
        {"load 1.5 0", "between 0 and 1"},
        {"load 0.5", "usage: load CPU GPU"},
        {"temp nan", "C must be a number"},
        {"fault F0Ac read 0", "RESULT must be an integer from 1"},
        {"fault F0Ac read 0x84 0", "COUNT must be"},
        {"fault F0A read 132", "four characters"},
        {"transport-fault 0x1ffffffff", "KERN must be"},
        {"advance -3", "between 0 and 86400"},
        {"set F0Tg 0040e7", "takes 4 bytes"},
        {"get NOPE", "no key NOPE"},
        {"fly away", "unknown command: fly"},
        {"fan 0 wobble", "usage: fan I stall|spin"},
        {"fan 7 stall", "no fan 7"},
        {"fan x stall", "I must be an integer"},
        {"   ", "empty request"},
    };
    VirtualSmc smc;
    for (const auto& [line, error] : rows) {
        const json reply = ControlProtocol::execute(smc, line);
        EXPECT_EQ(reply["ok"], false) << line;
        EXPECT_THAT(reply.value("error", ""), HasSubstr(error)) << line;
    }
}

TEST(ControlProtocol, CommandsDriveTheModel)
{
    VirtualSmc smc;
    smc.setFanNoise(0);
    EXPECT_EQ(ControlProtocol::execute(smc, "load 0.75 0.25")["load"],
              json({{"cpu", 0.75}, {"gpu", 0.25}}));
    EXPECT_EQ(ControlProtocol::execute(smc, "temp 77.5")["hottest"], 77.5);
    EXPECT_EQ(ControlProtocol::execute(smc, "temp auto")["pinned"], nullptr);
    EXPECT_EQ(ControlProtocol::execute(smc, "firmware accept-mode-after never")["acceptModeAfter"],
              "never");
    EXPECT_EQ(ControlProtocol::execute(smc, "firmware accept-mode-after 0.25")["acceptModeAfter"],
              0.25);

    ASSERT_EQ(ControlProtocol::execute(smc, "fault F0Ac read 0x85 1")["ok"], true);
    auto registration = smc.registerAsService();
    SMCConnection connection;
    EXPECT_THROW(connection.readFloat("F0Ac"), SMCError);
    EXPECT_EQ(connection.readFloat("F0Ac"), 1200.0f);

    ASSERT_EQ(ControlProtocol::execute(smc, "transport-fault 0xe00002d6 2")["ok"], true);
    EXPECT_EQ(connection.fanCount(), 0);
    ASSERT_EQ(ControlProtocol::execute(smc, "transport-fault clear")["ok"], true);
    EXPECT_EQ(connection.fanCount(), 2);

    ASSERT_EQ(ControlProtocol::execute(smc, "calls reset")["ok"], true);
    connection.readFloat("F0Mx");
    EXPECT_EQ(ControlProtocol::execute(smc, "calls")["calls"]["readKey"], 1);

    EXPECT_EQ(ControlProtocol::execute(smc, "fan 1 stall")["fans"][1]["stalled"], true);
    EXPECT_EQ(ControlProtocol::execute(smc, "advance 20")["fans"][1]["actual"], 0.0);
    EXPECT_EQ(ControlProtocol::execute(smc, "fan 1 spin")["fans"][1]["stalled"], false);

    EXPECT_DOUBLE_EQ(ControlProtocol::execute(smc, "advance 2.5")["t"].get<double>(), 22.5);
    EXPECT_EQ(ControlProtocol::execute(smc, "violations")["violations"], json::array());
}

TEST(ControlProtocol, StatusGetAndSetSpeakOfTheMachineServed)
{
    VirtualSmc smc("one-fan-desktop");
    const json status = ControlProtocol::execute(smc, "status");
    EXPECT_EQ(status["profile"], "one-fan-desktop");
    ASSERT_EQ(status["fans"].size(), 1u);
    EXPECT_EQ(status["fans"][0]["mode"], 0);
    EXPECT_TRUE(status["ftst"].is_null()) << "this machine has no Ftst";
    EXPECT_EQ(ControlProtocol::execute(smc, "set F0Mx 0000fa44")["value"], 2000.0);
    EXPECT_EQ(ControlProtocol::execute(smc, "get F0Mx")["bytes"], "0000fa44");
    EXPECT_EQ(smc.readFloatKey("F0Mx"), 2000.0f);
}

} // namespace
} // namespace brisvane
