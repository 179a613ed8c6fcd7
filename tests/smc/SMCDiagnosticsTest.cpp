// The diagnostic report, line for line, over virtual machines built to show each section's rules.
#include "smc/SMCDiagnostics.h"

#include "platform/virtual-mac/VirtualSmc.h"
#include "tests/virtual-mac/VsmcTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>
#include <sstream>

namespace brisvane {
namespace {

using test::floatKey;
using test::profileWithKeys;
using test::ScopedSystemRoot;
using test::TemporaryRoot;

SMCDiagnostics::Environment fixedEnvironment()
{
    SMCDiagnostics::Environment environment;
    environment.shortVersion = "1.0";
    environment.bundleVersion = "1";
    environment.helperVersion = "1.0.2";
    environment.sysctlString = [](const std::string& name) {
        return name == "hw.model" ? std::string("Mac15,6") : std::string("unknown");
    };
    environment.operatingSystemVersion = "Version 15.1 (Build 24B83)";
    return environment;
}

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        result.push_back(line);
    return result;
}

// The lines from the one equal to `first` up to (not including) the next section header.
std::vector<std::string> section(const std::vector<std::string>& all, const std::string& first)
{
    auto it = std::find(all.begin(), all.end(), first);
    std::vector<std::string> result;
    if (it == all.end())
        return result;
    result.push_back(*it++);
    for (; it != all.end() && it->rfind("-- ", 0) != 0 && *it != "End of dump."; ++it)
        result.push_back(*it);
    while (!result.empty() && result.back().empty())
        result.pop_back();
    return result;
}

const std::string kFanCount = "-- fan count ------------------------------------------------";
const std::string kUnlock = "-- firmware unlock ------------------------------------------";
const std::string kDirectory = "-- key directory --------------------------------------------";
const std::string kDiscovery = "-- sensor discovery (what the app actually ends up using) ----";

std::string perFan(int slots)
{
    return "-- per-fan keys (probing " + std::to_string(slots) +
           " slot(s)) ---------------------------";
}

class SMCDiagnosticsTest : public ::testing::Test {
protected:
    TemporaryRoot m_root;
    ScopedSystemRoot m_scopedRoot{m_root.path()};

    std::vector<std::string> dumpOf(MachineProfile profile)
    {
        VirtualSmc machine(std::move(profile));
        auto registration = machine.registerAsService();
        std::ostringstream out;
        SMCDiagnostics::dump(out, fixedEnvironment());
        return lines(out.str());
    }
    std::vector<std::string> dumpOf(const std::string& profile)
    {
        return dumpOf(MachineProfile::loadNamed(profile));
    }
};

TEST_F(SMCDiagnosticsTest, TwoFanLaptopHeaderFansAndUnlock)
{
    const auto report = dumpOf("two-fan-laptop");
    const std::vector<std::string> head(report.begin(), report.begin() + 8);
    EXPECT_EQ(head, (std::vector<std::string>{
                        "Brisvane SMC diagnostic dump",
                        "=============================",
                        "app version   : 1.0 (1), helper code 1.0.2",
                        "hardware model: Mac15,6",
                        "cpu           : unknown",
                        "macOS         : Version 15.1 (Build 24B83)",
                        "",
                        "SMC connection: OK",
                    }));
    EXPECT_EQ(section(report, kFanCount), (std::vector<std::string>{
                                              kFanCount,
                                              "FNum           : 2",
                                          }));
    const auto fans = section(report, perFan(2));
    ASSERT_EQ(fans.size(), 2u + 2u * 9u);
    EXPECT_EQ(fans[1], "Ac=actual Tg=target Mn=min Mx=max Md/md=mode");
    EXPECT_EQ(fans[2], "  fan 0:");
    EXPECT_EQ(fans[7], "    F0Md  type=ui8  size=1 bytes=[00] = 0");
    EXPECT_EQ(fans[8], "    F0md  absent");
    EXPECT_EQ(fans[11], "  fan 1:");
    EXPECT_EQ(fans[16], "    F1Md  type=ui8  size=1 bytes=[00] = 0");
    EXPECT_EQ(fans[19], "    F1Tp  absent");
    EXPECT_EQ(section(report, kUnlock)[1],
              "Ftst           : present type=ui8  size=1 bytes=[00] = 0");
    EXPECT_EQ(report.back(), "End of dump.");
    EXPECT_EQ(report[report.size() - 2], "");
}

TEST_F(SMCDiagnosticsTest, DesktopWithLowerCaseModeKeyAndNoUnlock)
{
    const auto report = dumpOf("one-fan-desktop");
    const auto fans = section(report, perFan(1));
    ASSERT_GE(fans.size(), 8u);
    EXPECT_EQ(fans[7], "    F0Md  absent");
    EXPECT_EQ(fans[8].rfind("    F0md  type=ui8  size=1 bytes=[", 0), 0u) << fans[8];
    EXPECT_EQ(section(report, kUnlock)[1], "Ftst           : absent (expected on M5 and later)");
}

TEST_F(SMCDiagnosticsTest, FanlessMachineProbesNoSlots)
{
    const auto report = dumpOf("fanless");
    EXPECT_EQ(section(report, kFanCount)[1], "FNum           : 0");
    EXPECT_EQ(section(report, perFan(0)).size(), 2u);
}

TEST_F(SMCDiagnosticsTest, UnreadableFanCountProbesFourSlots)
{
    const auto report = dumpOf(profileWithKeys({
        {{"name", "FS! "}, {"type", "ui16"}, {"value", 0}},
        floatKey("F0Ac", 1200),
        floatKey("F0Mx", 5000),
        {{"name", "F0Tg"}, {"type", "flt "}, {"size", 2}, {"hex", "9644"}},
        {{"name", "F0Md"}, {"type", "ui8 "}, {"value", 1}},
    }));
    EXPECT_EQ(section(report, kFanCount),
              (std::vector<std::string>{
                  kFanCount,
                  "FNum           : UNREADABLE (SMC key FNum error (result 132))",
                  "                 -> the app would see 0 fans because of this",
                  "also present   : FS!  type=ui16 size=2 bytes=[00 00]",
              }));
    const auto fans = section(report, perFan(4));
    ASSERT_EQ(fans.size(), 2u + 4u * 9u);
    EXPECT_EQ(fans[3], "    F0Ac  type=flt  size=4 bytes=[00 00 96 44] = 1200.0");
    EXPECT_EQ(fans[4], "    F0Tg  type=flt  size=2 bytes=[96 44]");
    EXPECT_EQ(fans[7], "    F0Md  type=ui8  size=1 bytes=[01] = 1");
    EXPECT_EQ(fans.back(), "    F3Tp  absent");
}

TEST_F(SMCDiagnosticsTest, DirectoryListsFanKeysAndSamplesTwelveSensors)
{
    nlohmann::json keys = {{{"name", "FNum"}, {"type", "ui8 "}, {"value", 0}},
                           {{"name", "BNum"}, {"type", "ui8 "}, {"value", 1}}};
    for (int i = 0; i < 20; ++i) {
        char name[5];
        std::snprintf(name, sizeof name, "Tp%02d", i);
        keys.push_back(floatKey(name, 40 + i));
    }
    const auto report = dumpOf(profileWithKeys(keys));
    const auto directory = section(report, kDirectory);
    EXPECT_EQ(directory, (std::vector<std::string>{
                             kDirectory,
                             "#KEY           : 23 keys total", // the 22 keys and #KEY itself
                             "",
                             "all F* keys (1):",
                             "    FNum  type=ui8  size=1 bytes=[00] = 0",
                             "",
                             "temperature keys matching Tp*/Te*/Tg*: 20",
                             "    first few: Tp00, Tp01, Tp02, Tp03, Tp04, Tp05, Tp06, Tp07, "
                             "Tp08, Tp09, Tp10, Tp11",
                         }));
    const auto discovery = section(report, kDiscovery);
    EXPECT_EQ(discovery, (std::vector<std::string>{
                             kDiscovery,
                             "CPU sensors    : 20   (Tp* / Te*)",
                             "GPU sensors    : 0   (Tg*)",
                             "reads back as  : cpu avg 49.5 max 59.0",
                             "                 gpu avg 0.0 max 0.0, hottest 59.0",
                             "    -> NO GPU SENSORS. Either the GPU was powered down just now, or",
                             "       this Mac does not spell them Tg*. Discovery keeps retrying on",
                             "       a back-off, and each retry walks every key the SMC has.",
                         }));
}

TEST_F(SMCDiagnosticsTest, NoSensorsAtAllGivesBothVerdictsCpuFirst)
{
    const auto report =
        dumpOf(profileWithKeys({{{"name", "FNum"}, {"type", "ui8 "}, {"value", 0}}}));
    const auto directory = section(report, kDirectory);
    EXPECT_EQ(directory.back(),
              "    -> no recognised die sensors; temperatures would read as unavailable");
    const auto discovery = section(report, kDiscovery);
    ASSERT_EQ(discovery.size(), 11u);
    EXPECT_EQ(discovery[5], "    -> NO CPU SENSORS. The helper's temperature safety floor has no");
    EXPECT_EQ(discovery[8], "    -> NO GPU SENSORS. Either the GPU was powered down just now, or");
}

TEST_F(SMCDiagnosticsTest, NoSmcEndsWithTheFatalLineAndThePlea)
{
    std::ostringstream out;
    SMCDiagnostics::dump(out, fixedEnvironment());
    const auto report = lines(out.str());
    ASSERT_EQ(report.size(), 9u);
    EXPECT_EQ(report[7], "FATAL: could not open the SMC: AppleSMC service not found");
    EXPECT_EQ(report[8], "Nothing below can be collected. Please send this file anyway.");
}

TEST(SMCDiagnosticsFormat, ShortestTextThatReadsBackWithAFraction)
{
    // Plain decimals below 1e16 in magnitude, the exponent form only beyond.
    const struct {
        double value;
        const char* text;
    } doubles[] = {
        {45.5, "45.5"},
        {1200.0, "1200.0"},
        {0.0, "0.0"},
        {-3.0, "-3.0"},
        {100000.0, "100000.0"},
        {0.0001, "0.0001"},
        {0.1, "0.1"},
        {double(44.9f), "44.900001525878906"},
        {9999999999999998.0, "9999999999999998.0"},
        {1e16, "1e+16"},
        {1e20, "1e+20"},
        {std::numeric_limits<double>::quiet_NaN(), "nan"},
    };
    for (const auto& row : doubles)
        EXPECT_EQ(SMCDiagnostics::formatNumber(row.value), row.text) << row.text;
    const struct {
        float value;
        const char* text;
    } floats[] = {
        {1200.0f, "1200.0"},
        {0.0001f, "0.0001"},
        {44.9f, "44.9"},
        {1e20f, "1e+20"},
        {std::numeric_limits<float>::quiet_NaN(), "nan"},
    };
    for (const auto& row : floats)
        EXPECT_EQ(SMCDiagnostics::formatNumber(row.value), row.text) << row.text;
    // The plain form holds even the smallest value without cutting it short.
    const std::string tiny =
        SMCDiagnostics::formatNumber(std::numeric_limits<double>::denorm_min());
    EXPECT_EQ(std::strtod(tiny.c_str(), nullptr), std::numeric_limits<double>::denorm_min());
}

TEST(SMCDiagnosticsEnvironment, MissingBundleValuesReadAsQuestionMarks)
{
    TemporaryRoot root;
    ScopedSystemRoot scoped(root.path());
    SMCDiagnostics::Environment environment;
    std::ostringstream out;
    SMCDiagnostics::dump(out, environment);
    EXPECT_EQ(lines(out.str())[2], "app version   : ? (?), helper code ?");
    EXPECT_EQ(lines(out.str())[3], "hardware model: unknown");
}

} // namespace
} // namespace brisvane
