// The parts of SMCKit that need no SMC: four-character codes, the record layout and the mode-key
// rule. The error texts are checked where the calls fail, in SMCConnectionTest.
#include "smc/SMCKit.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>

namespace brisvane {
namespace {

TEST(SMCFourCC, PacksFirstCharacterMostSignificantAndReadsBackOnlyAscii)
{
    EXPECT_EQ(smcFourCC("FNum"), 0x464E756Du);
    EXPECT_EQ(smcFourCC(""), 0u);
    EXPECT_EQ(smcFourCC("ui8"), 0x00756938u);
    EXPECT_EQ(smcFourCC("ABCDE"), smcFourCC("BCDE"));
    EXPECT_EQ(smcFourCCString(0x666C7420), "flt ");
    EXPECT_EQ(smcFourCCString(0x80414243), "????");
    EXPECT_EQ(smcFourCCString(0x414243FF), "????");
    EXPECT_EQ(smcFourCCString(0x00756938), std::string("\0ui8", 4));
}

TEST(SMCParamStructLayout, KeyLiesInHostOrder)
{
    SMCParamStruct record = SMCParamStruct::zeroed();
    record.key = smcFourCC("FNum");
    record.keyInfo.dataSize = 4;
    record.data8 = static_cast<std::uint8_t>(SMCCommand::readKey);
    unsigned char raw[80];
    std::memcpy(raw, &record, sizeof raw);
    EXPECT_EQ(raw[0], 0x6D);
    EXPECT_EQ(raw[3], 0x46);
    EXPECT_EQ(raw[28], 4);
    EXPECT_EQ(raw[42], 5);
    // Everything not set stays zero, gaps included.
    std::set<int> setBytes{0, 1, 2, 3, 28, 42};
    for (int i = 0; i < 80; ++i) {
        if (!setBytes.count(i)) {
            EXPECT_EQ(raw[i], 0) << "byte " << i;
        }
    }
}

TEST(FanModeKeyResolve, PrefersUpperCaseAndNeverPadsTheIndex)
{
    struct Row {
        int fan;
        std::set<std::string> keys;
        std::optional<std::string> expected;
    };
    const Row rows[] = {
        {0, {"F0Md", "F0md"}, "F0Md"}, {0, {"F0md"}, "F0md"},
        {0, {"F1Md"}, std::nullopt},   {12, {"F12Md", "F0CMd", "F012Md"}, "F12Md"},
        {1, {}, std::nullopt},
    };
    for (const Row& row : rows) {
        auto exists = [&](const std::string& key) { return row.keys.count(key) > 0; };
        EXPECT_EQ(FanModeKey::resolve(row.fan, exists), row.expected) << "fan " << row.fan;
    }
}

} // namespace
} // namespace brisvane
