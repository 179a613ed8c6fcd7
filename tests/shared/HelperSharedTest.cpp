// The safety floor, the status document and the system paths.

#include "shared/HelperShared.h"
#include "tests/virtual-mac/VsmcTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace brisvane {
namespace {

std::vector<std::uint8_t> bytes(std::string_view text)
{
    return {text.begin(), text.end()};
}

std::string text(const std::vector<std::uint8_t>& data)
{
    return {data.begin(), data.end()};
}

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// The daemon's floor and the virtual Mac's safety monitor, its independent judge, hold to one
// table.
TEST(HelperSafetyFloor, FollowsThePiecewiseTableAtItsBoundaries)
{
    const struct {
        double celsius;
        double percent;
    } rows[] = {
        {-10, 0}, {0, 0},     {59.9, 0}, {60, 0},    {67.5, 12.5}, {75, 25},   {80, 47.5},
        {85, 70}, {87.5, 85}, {90, 100}, {120, 100}, {kInf, 100},  {-kInf, 0}, {kNaN, 100},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.celsius);
        EXPECT_DOUBLE_EQ(HelperSafetyFloor::floorPercent(row.celsius), row.percent);
        EXPECT_NEAR(SafetyMonitor::floorPercent(row.celsius), row.percent, 1e-9);
    }
}

TEST(HelperSafetyFloor, IsContinuousAndNeverFallsAsTemperatureRises)
{
    double previous = HelperSafetyFloor::floorPercent(40);
    for (double t = 40; t <= 100; t += 0.001) {
        const double floor = HelperSafetyFloor::floorPercent(t);
        ASSERT_GE(floor, previous) << t;
        ASSERT_LE(floor - previous, 0.01) << "jump at " << t;
        previous = floor;
    }
}

HelperStatus exampleStatus()
{
    HelperStatus status;
    status.version = "1.0.2";
    status.phase = HelperControlPhase::controlling;
    status.autoFloors = {1200, 1200};
    status.effectiveTargets = {2400, 2250};
    status.hottestSensorCelsius = 71.5;
    return status;
}

constexpr const char* kExampleDocument =
    R"({"version":"1.0.2","phase":"controlling","autoFloors":[1200,1200],)"
    R"("effectiveTargets":[2400,2250],"hottestSensorCelsius":71.5})";

// Keys in any order, integer or fractional numbers and unknown keys are read; lastError is
// written only when present and read as absent when null or missing.
TEST(HelperStatus, TheExampleDocumentDecodesAndEncodesToTheSameText)
{
    EXPECT_EQ(HelperStatus::decode(bytes(kExampleDocument)), exampleStatus());
    EXPECT_EQ(text(exampleStatus().encode()), kExampleDocument);

    auto withError = exampleStatus();
    withError.lastError = "boom";
    EXPECT_NE(text(withError.encode()).find(R"("lastError":"boom")"), std::string::npos);
    std::string document = kExampleDocument;
    document.insert(document.size() - 1, R"(,"lastError":null)");
    EXPECT_EQ(HelperStatus::decode(bytes(document)), exampleStatus());

    const auto decoded = HelperStatus::decode(bytes(
        R"( {"lastError":"x","hottestSensorCelsius":71,"effectiveTargets":[],"autoFloors":[1.2e3],)"
        R"("phase":"failed","future":{"a":[1]},"version":"2"} )"));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->autoFloors, std::vector<double>{1200});
    EXPECT_EQ(decoded->lastError, "x");
}

TEST(HelperStatus, RoundTripsEveryFieldExactly)
{
    const HelperStatus statuses[] = {
        {},
        {"0.9",
         HelperControlPhase::failed,
         {1234.5678901234567, 0.1, -0.0, 5e-324, 1.7976931348623157e308},
         {},
         -273.15,
         "Applying fan targets failed: SMC key F1Tg error (result 134) – \"ü\"\n"},
        {"",
         HelperControlPhase::unlocking,
         {9007199254740992.0, -9007199254740992.0, 4503599627370495.5},
         std::vector<double>(64, 6000.25),
         1e17,
         ""},
    };
    for (const auto& status : statuses) {
        const auto encoded = status.encode();
        SCOPED_TRACE(text(encoded));
        ASSERT_FALSE(encoded.empty());
        const auto decoded = HelperStatus::decode(encoded);
        ASSERT_TRUE(decoded);
        EXPECT_EQ(*decoded, status);
        for (std::size_t i = 0; i < status.autoFloors.size(); ++i)
            EXPECT_EQ(std::signbit(decoded->autoFloors[i]), std::signbit(status.autoFloors[i]));
    }
}

TEST(HelperStatus, RejectsBadPhasesMissingKeysAndWrongTypes)
{
    auto replaced = [](std::string from, std::string to) {
        std::string document = kExampleDocument;
        document.replace(document.find(from), from.size(), to);
        return document;
    };
    // Each text of the example replaced by each of its wrong values ("" removes a key).
    const std::pair<std::string, std::vector<std::string>> edits[] = {
        {"\"controlling\"", {"\"Controlling\"", "\"IDLE\"", "\"paused\"", "1", "null"}},
        {R"("version":"1.0.2",)", {""}},
        {R"("phase":"controlling",)", {""}},
        {R"("autoFloors":[1200,1200],)", {""}},
        {R"(,"effectiveTargets":[2400,2250])", {""}},
        {R"(,"hottestSensorCelsius":71.5)", {""}},
        {"\"1.0.2\"", {"102", "null"}},
        {"[1200,1200]", {"null", "1200", "[1200,\"1200\"]", "[1200,true]", "[[1200]]"}},
        {"71.5", {"\"71.5\"", "true", "null", "1e400"}},
        {"71.5}", {R"(71.5,"lastError":42})", R"(71.5,"lastError":["x"]})", "71.5"}},
    };
    std::vector<std::string> documents = {"", "null", "[]", "\"status\"",
                                          std::string(kExampleDocument) + "{}"};
    for (const auto& [from, tos] : edits)
        for (const std::string& to : tos)
            documents.push_back(replaced(from, to));
    for (const auto& document : documents)
        EXPECT_EQ(HelperStatus::decode(bytes(document)), std::nullopt) << document;
}

// A non-finite number or text that is not UTF-8 makes the encoding empty rather than throwing.
TEST(HelperStatus, AnUnencodableStatusEncodesAsEmpty)
{
    for (double bad : {kNaN, kInf, -kInf}) {
        auto hottest = exampleStatus();
        hottest.hottestSensorCelsius = bad;
        auto floors = exampleStatus();
        floors.autoFloors.push_back(bad);
        auto targets = exampleStatus();
        targets.effectiveTargets.insert(targets.effectiveTargets.begin(), bad);
        for (const auto& status : {hottest, floors, targets})
            EXPECT_TRUE(status.encode().empty()) << bad;
    }
    auto status = exampleStatus();
    status.lastError = std::string("bad \xC3\x28 byte");
    EXPECT_TRUE(status.encode().empty());
}

TEST(HelperConstants, PathsFollowTheSystemRoot)
{
    const std::string label(HelperConstants::machServiceName);
    {
        test::ScopedSystemRoot root("");
        EXPECT_EQ(HelperConstants::daemonPlistSystemPath(), HelperConstants::daemonPlistPath);
        EXPECT_EQ(HelperConstants::helperInstallSystemPath(), HelperConstants::helperInstallPath);
        EXPECT_EQ(HelperConstants::daemonSocketPath(), "/var/run/" + label + ".socket");
    }
    test::ScopedSystemRoot root("/tmp/mac/");
    EXPECT_EQ(HelperConstants::daemonPlistSystemPath(),
              "/tmp/mac/Library/LaunchDaemons/" + label + ".plist");
    EXPECT_EQ(HelperConstants::helperInstallSystemPath(),
              "/tmp/mac/Library/PrivilegedHelperTools/" + label);
    EXPECT_EQ(HelperConstants::daemonSocketPath(), "/tmp/mac/var/run/" + label + ".socket");
}

} // namespace
} // namespace brisvane
