// The daemon's log: the stderr line form, the levels that reach stderr, and the capture sink.
#include "helper/HelperLog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace brisvane {
namespace {

using namespace std::chrono;

TEST(HelperLogLine, IsIsoTimeLevelSubsystemCategoryAndMessage)
{
    const system_clock::time_point time{milliseconds(1738311302250)};
    EXPECT_EQ(HelperLog::formatLine(time, HelperLogLevel::info, "org.brisvane.Brisvane.helper",
                                    "control", "helper up"),
              "2025-01-31T08:15:02.250Z info org.brisvane.Brisvane.helper[control] helper up");
    EXPECT_EQ(HelperLog::formatLine(system_clock::time_point{}, HelperLogLevel::error, "s", "c",
                                    "takeover failed: x"),
              "1970-01-01T00:00:00.000Z error s[c] takeover failed: x");
    // Before the epoch the milliseconds still count forwards within their second.
    EXPECT_EQ(HelperLog::formatLine(system_clock::time_point{milliseconds(-250)},
                                    HelperLogLevel::debug, "s", "c", "m"),
              "1969-12-31T23:59:59.750Z debug s[c] m");
}

TEST(HelperLogCapture, RecordsFormattedMessagesWithTheirLevels)
{
    HelperLog log("org.brisvane.Brisvane.helper", "control");
    HelperLogCapture capture(log);
    log.info("helper up: %d fans, max %s", 2, "[6000, 6000]");
    log.error("takeover failed: %s", "The firmware did not grant fan control");
    log.debug("mode release skipped for %s: %s", "F1Md", "SMC key F1Md error (result 134)");
    const std::string longText(5000, 'x');
    log.info("%s", longText.c_str());

    const std::vector<HelperLogCapture::Line> expected{
        {HelperLogLevel::info, "helper up: 2 fans, max [6000, 6000]"},
        {HelperLogLevel::error, "takeover failed: The firmware did not grant fan control"},
        {HelperLogLevel::debug, "mode release skipped for F1Md: SMC key F1Md error (result 134)"},
        {HelperLogLevel::info, longText},
    };
    EXPECT_EQ(capture.take(), expected);
    EXPECT_TRUE(capture.lines().empty());
}

TEST(HelperLogStderr, CarriesInfoAndErrorDebugOnlyWhenEnabledAndNothingWhileCaptured)
{
    HelperLog log("s", "c");
    ::testing::internal::CaptureStderr();
    log.info("fans returned");
    log.debug("hidden detail");
    log.setDebugOnStderr(true);
    log.debug("shown detail");
    {
        HelperLogCapture outer(log);
        {
            HelperLogCapture inner(log);
            log.error("while captured");
        }
        log.error("still captured");
        EXPECT_EQ(outer.lines().size(), 2u);
    }
    log.error("after");
    const std::string written = ::testing::internal::GetCapturedStderr();
    for (const char* line :
         {" info s[c] fans returned\n", " debug s[c] shown detail\n", " error s[c] after\n"})
        EXPECT_NE(written.find(line), std::string::npos) << line << written;
    for (const char* hidden : {"hidden detail", "captured"})
        EXPECT_EQ(written.find(hidden), std::string::npos) << hidden << written;
}

} // namespace
} // namespace brisvane
