// The one rule for a fan's target, on the fan 0 of the tests: 1200–4800 RPM.
#include "helper/FanController.h"

#include "shared/HelperShared.h"

#include <gtest/gtest.h>

namespace brisvane {
namespace {

struct EffectiveTargetCase {
    double requested;
    double autoFloor;
    double celsius;
    double expected;
};

TEST(EffectiveTarget, IsTheLargestOfRequestSafetyFloorAndMacOSCappedAtTheMaximum)
{
    const EffectiveTargetCase rows[] = {
        {2000, 1500, 80, 2910}, // 80 °C: 47.5 % of the range beats the request
        {4000, 1500, 80, 4000}, // a request above both floors stands
        {6000, 1500, 80, 4800}, // capped at the maximum
        {1000, 1500, 55, 1500}, // below 60 °C macOS's own choice is the floor
        {0, 0, 59, 0},          // no floor at all: the request, even 0
        {0, 0, 75, 2100},       // 75 °C: a quarter of the range
        {0, 5000, 40, 4800},    // macOS above the maximum is capped too
        {1000, 0, 95, 4800},    // 95 °C: full speed whatever was asked
    };
    for (const EffectiveTargetCase& row : rows)
        EXPECT_DOUBLE_EQ(FanController::effectiveTarget(
                             row.requested, row.autoFloor,
                             HelperSafetyFloor::floorPercent(row.celsius), 1200, 4800),
                         row.expected)
            << row.requested << " RPM asked, macOS at " << row.autoFloor << ", " << row.celsius
            << " °C";
}

} // namespace
} // namespace brisvane
