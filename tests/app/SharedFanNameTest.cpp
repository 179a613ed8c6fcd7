// Fan names: left and right on a two-fan machine, numbered from 1 on any other.

#include "tests/app/AppTestSupport.h"

#include "app/core/SharedFanName.h"

#include <gtest/gtest.h>

namespace brisvane {
namespace {

class SharedFanNameTest : public test::AppCoreTest {};

TEST_F(SharedFanNameTest, NamesFansByTheirCount)
{
    struct Row {
        int fanCount;
        QStringList names;
    };
    const Row rows[] = {
        {1, {"Fan 1"}},
        {2, {"Left fan", "Right fan"}},
        {3, {"Fan 1", "Fan 2", "Fan 3"}},
    };
    for (const Row& row : rows) {
        QStringList names;
        for (int i = 0; i < row.fanCount; ++i)
            names.append(sharedFanName(i, row.fanCount));
        EXPECT_EQ(names, row.names) << row.fanCount << " fans";
    }
    // Any index past the first is the right fan of a pair.
    EXPECT_EQ(sharedFanName(5, 2), "Right fan");
}

} // namespace
} // namespace brisvane
