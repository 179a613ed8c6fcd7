// Profiles and value encodings: every shipped machine is usable, and bad profiles fail clearly.
#include "platform/virtual-mac/MachineProfile.h"

#include "platform/virtual-mac/SmcValueCodec.h"
#include "platform/virtual-mac/VirtualSmc.h"
#include "smc/SMCTemperatureSensors.h"
#include "tests/virtual-mac/VsmcTestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

namespace brisvane {
namespace {

using nlohmann::json;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

class ShippedProfile : public ::testing::TestWithParam<std::string> {};

// Each shipped machine is one the app can read whole: every fan FNum counts with keys of the types
// SMCKit checks, writable targets, and die sensors that discovery finds.
TEST_P(ShippedProfile, IsAMachineSMCKitReadsWhole)
{
    VirtualSmc smc(GetParam());
    auto registration = smc.registerAsService();
    auto connection = std::make_shared<SMCConnection>();
    const auto fans = connection->readAllFans(); // throws on a missing key or a wrong type
    EXPECT_EQ(fans.size(), static_cast<std::size_t>(connection->fanCount()));
    for (const auto& fan : fans)
        EXPECT_NO_THROW(connection->writeFloat("F" + std::to_string(fan.index) + "Tg", 2000));
    ManualClock clock;
    EXPECT_GE(SMCTemperatureSensors(connection, clock).cpuKeys().size(), 4u);
}

INSTANTIATE_TEST_SUITE_P(Profiles, ShippedProfile,
                         ::testing::Values("two-fan-laptop", "one-fan-desktop", "fanless",
                                           "missing-mode-key", "large-directory", "late-gpu",
                                           "stubborn-firmware"),
                         [](const auto& info) {
                             std::string name = info.param;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

class ProfileFiles : public ::testing::Test {
protected:
    test::TemporaryRoot dir;

    std::filesystem::path write(const std::string& name, const std::string& text)
    {
        const auto path = dir.path() / (name + ".json");
        std::ofstream(path) << text;
        return path;
    }
};

TEST_F(ProfileFiles, ExtendingReplacesKeysByNameRemovesKeysAndMergesSections)
{
    write("base", R"({"firmware": {"acceptModeAfterSeconds": 3, "curve": [[50, 0], [90, 1]]},
                      "keys": [{"name": "FNum", "type": "ui8 ", "value": 1},
                               {"name": "AAAA", "type": "ui16", "value": 258},
                               {"name": "BBBB", "type": "flag", "value": true}]})");
    const auto child = write("child", R"({"extends": "base",
        "firmware": {"acceptModeAfterSeconds": null},
        "removeKeys": ["BBBB"],
        "keys": [{"name": "AAAA", "type": "ui16", "value": 772}]})");
    const MachineProfile profile = MachineProfile::load(child);
    EXPECT_EQ(profile.name, "child");
    EXPECT_FALSE(profile.firmware.acceptModeAfterSeconds) << "null means never";
    EXPECT_EQ(profile.firmware.curve.size(), 2u) << "fields not named keep the parent's";
    EXPECT_THAT(profile.keys.find(std::string("AAAA"))->bytes, ElementsAre(0x03, 0x04));
    EXPECT_EQ(profile.keys.find(std::string("BBBB")), nullptr);
    EXPECT_EQ(profile.keys.size(), 3u) << "FNum, AAAA and #KEY";
}

TEST_F(ProfileFiles, BadProfilesFailWithAMessageNamingTheProblem)
{
    const std::pair<const char*, const char*> rows[] = {
        {"{not json", "not valid JSON"},
        {R"({"keys": [{"name": "FNu", "type": "ui8 "}]})", "four characters"},
        {R"({"keys": [{"name": "FNum", "type": "flt ", "size": 2}]})", "has size 4"},
        {R"({"keys": [{"name": "FNum", "type": "ui8 ", "value": 256}]})", "out of range"},
        {R"({"keys": [{"name": "ABCD", "type": "{abc", "value": 1}]})", "as hex"},
        {R"({"keys": [{"name": "ABCD", "type": "hex_", "hex": "abc"}]})", "even number"},
        {R"({"keys": [{"name": "ABCD", "type": "ch8*", "size": 2, "value": "abc"}]})",
         "longer than"},
        {R"({"serviceClass": "IOFoo", "keys": []})", "serviceClass"},
        {R"({"extends": "../etc/x", "keys": []})", "must name a profile"},
        {R"({"extends": "self", "keys": []})", "too deeply"},
        {R"({"keys": 3})", "must be an array"},
    };
    write("self", R"({"extends": "self", "keys": []})");
    for (const auto& [text, message] : rows) {
        try {
            MachineProfile::load(write("bad", text));
            ADD_FAILURE() << "loaded " << text;
        } catch (const ProfileError& e) {
            EXPECT_THAT(e.what(), HasSubstr(message)) << text;
        }
    }
}

TEST(MachineProfile, NamesCannotReachOutsideTheProfileFolder)
{
    EXPECT_THROW(MachineProfile::loadNamed("../profiles/two-fan-laptop"), ProfileError);
    EXPECT_THROW(MachineProfile::loadNamed("no-such-machine"), ProfileError);
}

TEST(SmcValueCodec, EncodesIntegersBigEndianFloatsLittleEndianAndTextPadded)
{
    EXPECT_THAT(SmcValueCodec::encode("ui16", 12650, std::nullopt), ElementsAre(0x31, 0x6a));
    EXPECT_THAT(SmcValueCodec::encode("si16", -412, std::nullopt), ElementsAre(0xfe, 0x64));
    EXPECT_THAT(SmcValueCodec::encode("sp78", 44.5, std::nullopt), ElementsAre(0x2c, 0x80));
    EXPECT_THAT(SmcValueCodec::encode("flt ", 1850.0, std::nullopt),
                ElementsAre(0, 0x40, 0xe7, 0x44));
    EXPECT_THAT(SmcValueCodec::encode("ch8*", "ab", 4u), ElementsAre('a', 'b', 0, 0));
    EXPECT_THROW(SmcValueCodec::encode("sp78", 44.3, std::nullopt), std::invalid_argument)
        << "not representable in 8.8";

    EXPECT_EQ(SmcValueCodec::decode("si16", {0xfe, 0x64}), json(-412));
    EXPECT_EQ(SmcValueCodec::decode("sp78", {0x2c, 0x80}), json(44.5));
    EXPECT_EQ(SmcValueCodec::decode("ch8*", {'j', '3', 0, 0}), json("j3"));
    EXPECT_EQ(SmcValueCodec::decode("hex_", {1, 2}), std::nullopt);
    EXPECT_EQ(SmcValueCodec::fromHex("0040E744"), SmcValueCodec::floatBytes(1850));
    EXPECT_THROW(SmcValueCodec::fromHex("zz"), std::invalid_argument);
}

} // namespace
} // namespace brisvane
