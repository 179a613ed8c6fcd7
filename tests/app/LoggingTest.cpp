// The log categories: debug detail kept back until a rule asks for it. Their names are
// checked where each unit's log lines are.

#include "tests/app/AppTestSupport.h"

#include "app/core/Logging.h"

#include <gtest/gtest.h>

namespace brisvane {
namespace {

class LoggingTest : public test::AppCoreTest {
protected:
    void TearDown() override
    {
        QLoggingCategory::setFilterRules(QString());
        AppCoreTest::TearDown();
    }
};

TEST_F(LoggingTest, debugIsOffUntilARuleEnablesIt)
{
    test::LogCapture log;
    qCDebug(engineLog, "routine %d", 1);
    qCInfo(engineLog, "lifecycle");
    qCCritical(engineLog, "failure");
    QLoggingCategory::setFilterRules(QStringLiteral("org.brisvane.Brisvane.*.debug=true"));
    qCDebug(engineLog, "routine %d", 2);

    QStringList messages;
    for (const auto& entry : log.inCategory("org.brisvane.Brisvane.engine"))
        messages.append(entry.message);
    EXPECT_EQ(messages, (QStringList{"lifecycle", "failure", "routine 2"}));
}

} // namespace
} // namespace brisvane
