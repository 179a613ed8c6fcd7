#include "shared/HelperShared.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
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

TEST(HelperControlPhase, RawValuesAreExactAndCaseSensitive)
{
    const std::pair<HelperControlPhase, const char*> phases[] = {
        {HelperControlPhase::idle, "idle"},
        {HelperControlPhase::unlocking, "unlocking"},
        {HelperControlPhase::controlling, "controlling"},
        {HelperControlPhase::failed, "failed"},
    };
    for (const auto& [phase, raw] : phases) {
        EXPECT_EQ(rawValue(phase), raw);
        EXPECT_EQ(helperControlPhase(raw), phase);
    }
    for (const char* raw : {"Idle", "CONTROLLING", "Failed", "unlocking ", "", "paused"})
        EXPECT_EQ(helperControlPhase(raw), std::nullopt) << raw;
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

TEST(HelperStatus, TheExampleDocumentDecodesAndEncodesToTheSameText)
{
    EXPECT_EQ(HelperStatus::decode(bytes(kExampleDocument)), exampleStatus());
    EXPECT_EQ(text(exampleStatus().encode()), kExampleDocument);
}

TEST(HelperStatus, RoundTripsEveryFieldExactly)
{
    std::vector<HelperStatus> statuses;
    statuses.push_back({});
    statuses.push_back(exampleStatus());
    HelperStatus failed;
    failed.version = "0.9";
    failed.phase = HelperControlPhase::failed;
    failed.autoFloors = {1234.5678901234567, 0.1, -0.0, 5e-324, 1.7976931348623157e308};
    failed.hottestSensorCelsius = -273.15;
    failed.lastError = "Applying fan targets failed: SMC key F1Tg error (result 134) – \"ü\"\n";
    statuses.push_back(failed);
    HelperStatus unlocking;
    unlocking.phase = HelperControlPhase::unlocking;
    unlocking.effectiveTargets = std::vector<double>(64, 6000.25);
    unlocking.hottestSensorCelsius = 1e17;
    unlocking.autoFloors = {9007199254740992.0, -9007199254740992.0, 4503599627370495.5};
    unlocking.lastError = "";
    statuses.push_back(unlocking);

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

TEST(HelperStatus, LastErrorIsWrittenOnlyWhenPresentAndReadAbsentWhenNullOrMissing)
{
    EXPECT_EQ(text(exampleStatus().encode()).find("lastError"), std::string::npos);

    auto withError = exampleStatus();
    withError.lastError = "boom";
    EXPECT_NE(text(withError.encode()).find(R"("lastError":"boom")"), std::string::npos);

    std::string document = kExampleDocument;
    document.insert(document.size() - 1, R"(,"lastError":null)");
    const auto decoded = HelperStatus::decode(bytes(document));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->lastError, std::nullopt);
    EXPECT_EQ(HelperStatus::decode(bytes(kExampleDocument))->lastError, std::nullopt);
}

TEST(HelperStatus, AcceptsKeysInAnyOrderIntegerOrFractionalNumbersAndUnknownKeys)
{
    const auto decoded = HelperStatus::decode(bytes(
        R"( {"lastError":"x","hottestSensorCelsius":71,"effectiveTargets":[],"autoFloors":[1.2e3],)"
        R"("phase":"failed","future":{"a":[1]},"version":"2"} )"));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->phase, HelperControlPhase::failed);
    EXPECT_EQ(decoded->autoFloors, std::vector<double>{1200});
    EXPECT_EQ(decoded->hottestSensorCelsius, 71);
    EXPECT_EQ(decoded->lastError, "x");
}

TEST(HelperStatus, RejectsBadPhasesMissingKeysAndWrongTypes)
{
    auto replaced = [](std::string from, std::string to) {
        std::string document = kExampleDocument;
        document.replace(document.find(from), from.size(), to);
        return document;
    };
    const std::string documents[] = {
        replaced("\"controlling\"", "\"Controlling\""),
        replaced("\"controlling\"", "\"IDLE\""),
        replaced("\"controlling\"", "\"paused\""),
        replaced("\"controlling\"", "1"),
        replaced("\"controlling\"", "null"),
        replaced(R"("version":"1.0.2",)", ""),
        replaced(R"("phase":"controlling",)", ""),
        replaced(R"("autoFloors":[1200,1200],)", ""),
        replaced(R"(,"effectiveTargets":[2400,2250])", ""),
        replaced(R"(,"hottestSensorCelsius":71.5)", ""),
        replaced("\"1.0.2\"", "102"),
        replaced("\"1.0.2\"", "null"),
        replaced("[1200,1200]", "null"),
        replaced("[1200,1200]", "1200"),
        replaced("[1200,1200]", "[1200,\"1200\"]"),
        replaced("[1200,1200]", "[1200,true]"),
        replaced("[1200,1200]", "[[1200]]"),
        replaced("71.5", "\"71.5\""),
        replaced("71.5", "true"),
        replaced("71.5", "null"),
        replaced("71.5", "1e400"),
        replaced("71.5}", R"(71.5,"lastError":42})"),
        replaced("71.5}", R"(71.5,"lastError":["x"]})"),
        replaced("71.5}", "71.5"),
        "",
        "null",
        "[]",
        "\"status\"",
        std::string(kExampleDocument) + "{}",
    };
    for (const auto& document : documents)
        EXPECT_EQ(HelperStatus::decode(bytes(document)), std::nullopt) << document;
}

TEST(HelperStatus, ANonFiniteNumberMakesTheEncodingEmpty)
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
    EXPECT_EQ(HelperStatus::decode({}), std::nullopt);
}

TEST(HelperStatus, TextThatIsNotUtf8MakesTheEncodingEmptyRatherThanThrowing)
{
    auto status = exampleStatus();
    status.lastError = std::string("bad \xC3\x28 byte");
    EXPECT_TRUE(status.encode().empty());
}

TEST(HelperStatus, EqualityAndIsControllingSeeEveryField)
{
    auto warmer = exampleStatus();
    warmer.hottestSensorCelsius += 0.5;
    EXPECT_NE(warmer, exampleStatus());
    auto erred = exampleStatus();
    erred.lastError = "";
    EXPECT_NE(erred, exampleStatus());

    EXPECT_TRUE(exampleStatus().isControlling());
    for (auto phase :
         {HelperControlPhase::idle, HelperControlPhase::unlocking, HelperControlPhase::failed}) {
        auto status = exampleStatus();
        status.phase = phase;
        EXPECT_FALSE(status.isControlling()) << rawValue(phase);
    }
}

class ScopedSystemRoot {
public:
    explicit ScopedSystemRoot(const char* root)
    {
        if (const char* old = std::getenv("BRISVANE_SYSTEM_ROOT"))
            m_old = old;
        ::setenv("BRISVANE_SYSTEM_ROOT", root, 1);
    }
    ~ScopedSystemRoot()
    {
        if (m_old)
            ::setenv("BRISVANE_SYSTEM_ROOT", m_old->c_str(), 1);
        else
            ::unsetenv("BRISVANE_SYSTEM_ROOT");
    }

private:
    std::optional<std::string> m_old;
};

TEST(HelperConstants, PathsDeriveFromTheLabelAndFollowTheSystemRoot)
{
    const std::string label(HelperConstants::machServiceName);
    EXPECT_EQ(label, std::string(HelperConstants::applicationIdentifier) + ".helper");
    EXPECT_EQ(HelperConstants::daemonPlistPath, "/Library/LaunchDaemons/" + label + ".plist");
    EXPECT_EQ(HelperConstants::helperInstallPath, "/Library/PrivilegedHelperTools/" + label);
    {
        ScopedSystemRoot root("");
        EXPECT_EQ(HelperConstants::daemonPlistSystemPath(), HelperConstants::daemonPlistPath);
        EXPECT_EQ(HelperConstants::helperInstallSystemPath(), HelperConstants::helperInstallPath);
        EXPECT_EQ(HelperConstants::daemonSocketPath(), "/var/run/" + label + ".socket");
    }
    {
        ScopedSystemRoot root("/tmp/mac/");
        EXPECT_EQ(HelperConstants::daemonPlistSystemPath(),
                  "/tmp/mac/Library/LaunchDaemons/" + label + ".plist");
        EXPECT_EQ(HelperConstants::helperInstallSystemPath(),
                  "/tmp/mac/Library/PrivilegedHelperTools/" + label);
        EXPECT_EQ(HelperConstants::daemonSocketPath(), "/tmp/mac/var/run/" + label + ".socket");
    }
}

} // namespace
} // namespace brisvane
