// The three domains of the user defaults, launch-argument parsing and typed reads.

#include "tests/app/AppTestSupport.h"

#include "app/core/UserDefaults.h"

#include <QSettings>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace brisvane {
namespace {

class UserDefaultsTest : public test::AppCoreTest {};

TEST_F(UserDefaultsTest, ArgumentsOverrideTheStoreWhichOverridesRegisteredDefaults)
{
    {
        auto stored = makeDefaults();
        stored->setString("InitialSection", "curves");
        stored->setString("ForceColorScheme", "light");
    }
    auto defaults = makeDefaults({"-InitialSection", "settings"});
    defaults->registerDefaults({{"InitialSection", "dashboard"},
                                {"ForceColorScheme", "dark"},
                                {"hideDockIconWhenWindowClosed", true}});

    EXPECT_EQ(defaults->stringValue("InitialSection"), "settings");
    EXPECT_EQ(defaults->stringValue("ForceColorScheme"), "light");
    EXPECT_EQ(defaults->boolValue("hideDockIconWhenWindowClosed"), true);
    EXPECT_FALSE(defaults->stringValue("Absent").has_value());
    EXPECT_TRUE(defaults->isInArgumentDomain("InitialSection"));
    EXPECT_FALSE(defaults->isInArgumentDomain("ForceColorScheme"));
}

TEST_F(UserDefaultsTest, ArgumentValuesAreNeverWrittenToTheStore)
{
    auto defaults = makeDefaults({"-activePresetID", "ARG", "-CloseMainWindowAfterSeconds", "5"});
    QSignalSpy changed(defaults.get(), &UserDefaults::changed);
    defaults->setString("activePresetID", "STORED");
    // The argument still wins for this run…
    EXPECT_EQ(defaults->stringValue("activePresetID"), "ARG");
    defaults->setString("Other", "x");
    EXPECT_EQ(changed.count(), 2);

    // …and neither it nor the untouched argument ever reaches the file.
    QSettings file(settingsPath(), QSettings::IniFormat);
    EXPECT_EQ(file.value("activePresetID").toString(), "STORED");
    EXPECT_FALSE(file.contains("CloseMainWindowAfterSeconds"));

    auto nextLaunch = makeDefaults();
    EXPECT_EQ(nextLaunch->stringValue("activePresetID"), "STORED");
    EXPECT_FALSE(nextLaunch->contains("CloseMainWindowAfterSeconds"));

    // Removing the stored value leaves the argument in force.
    defaults->remove("activePresetID");
    EXPECT_EQ(defaults->stringValue("activePresetID"), "ARG");
    EXPECT_FALSE(makeDefaults()->contains("activePresetID"));
}

TEST_F(UserDefaultsTest, ArgumentDomainTakesKeyValuePairsAndSkipsFlags)
{
    const QVariantMap domain = UserDefaults::argumentDomain(
        {"Brisvane", "-DumpSMCKeys", "-ActivatePreset", "Full Speed", "stray", "-Offset", "-5",
         "--long", "x", "-ForceColorScheme", "light", "-ForceColorScheme", "dark", "-_under", "1",
         "-Trailing"});
    const QVariantMap expected{{"ActivatePreset", "Full Speed"},
                               {"Offset", "-5"},
                               {"ForceColorScheme", "dark"},
                               {"_under", "1"}};
    EXPECT_EQ(domain, expected);
    // The program name is never a key, whatever it looks like.
    EXPECT_TRUE(UserDefaults::argumentDomain({"-Brisvane", "value"}).isEmpty());
}

TEST_F(UserDefaultsTest, ArgumentsReadAsTheMacReadsBoolsAndNumbers)
{
    // The registered defaults show through only where the argument holds no text at all.
    constexpr std::nullopt_t no = std::nullopt;
    const struct {
        const char* value;
        bool asBool;
        std::optional<double> asDouble;
    } cases[] = {
        {"YES", true, no},   {"yes", true, no},   {"Y", true, no},     {"true", true, no},
        {"1", true, 1},      {"7", true, 7},      {"NO", false, no},   {"N", false, no},
        {"off", false, no},  {"0", false, 0},     {"", true, 2},       {"5s", true, 5},
        {"-3", true, -3},    {"abc", false, no},  {" 2.5", true, 2.5}, {"-0.25", false, -0.25},
        {"1e3", true, 1000}, {"1e", true, 1},     {"2,5", true, 2},    {"inf", false, no},
        {"nan", false, no},  {"1e999", true, no},
    };
    for (const auto& c : cases) {
        auto defaults = makeDefaults(
            {"-hideDockIconWhenWindowClosed", c.value, "-CloseMainWindowAfterSeconds", c.value});
        defaults->registerDefaults(
            {{"hideDockIconWhenWindowClosed", true}, {"CloseMainWindowAfterSeconds", 2.0}});
        EXPECT_EQ(defaults->boolValue("hideDockIconWhenWindowClosed"), c.asBool) << c.value;
        EXPECT_EQ(defaults->doubleValue("CloseMainWindowAfterSeconds"), c.asDouble) << c.value;
    }
}

TEST_F(UserDefaultsTest, ArgumentsReadAsStringArrays)
{
    constexpr std::nullopt_t no = std::nullopt;
    const struct {
        const char* value;
        std::optional<QStringList> asArray;
    } cases[] = {
        {"()", QStringList{}},
        {"( a , b )", QStringList{"a", "b"}},
        {R"((automatic, "with space", "comma, inside", "q\"uote"))",
         QStringList{"automatic", "with space", "comma, inside", "q\"uote"}},
        {R"(["a", "b c"])", QStringList{"a", "b c"}},
        {"[]", QStringList{}},
        {"[1, 2]", no},
        {"(a,,b)", no},
        {"(a", no},
        {R"(("open))", no},
        {"a,b", no},
    };
    for (const auto& c : cases) {
        auto defaults = makeDefaults({"-Key", c.value});
        EXPECT_EQ(defaults->stringArrayValue("Key"), c.asArray) << c.value;
        EXPECT_EQ(defaults->stringValue("Key"), QString::fromUtf8(c.value));
    }
}

TEST_F(UserDefaultsTest, AnUnreadableArgumentDoesNotFallThroughToTheStore)
{
    makeDefaults()->setDouble("CloseMainWindowAfterSeconds", 3);
    auto defaults = makeDefaults({"-CloseMainWindowAfterSeconds", "soon"});
    EXPECT_FALSE(defaults->doubleValue("CloseMainWindowAfterSeconds").has_value());
}

TEST_F(UserDefaultsTest, StoredValuesKeepTheirTypesAcrossLaunches)
{
    {
        auto defaults = makeDefaults();
        defaults->setBool("hideDockIconWhenWindowClosed", false);
        defaults->setDouble("CloseMainWindowAfterSeconds", 2.5);
        defaults->setStringArray("empty", {});
        defaults->setStringArray("one", {"automatic"});
        defaults->setStringArray("two", {"a", "b, c"});
        defaults->setString("text", "(not, an, array)");
    }
    auto defaults = makeDefaults();
    defaults->registerDefaults({{"hideDockIconWhenWindowClosed", true}});
    EXPECT_EQ(defaults->boolValue("hideDockIconWhenWindowClosed"), false);
    EXPECT_EQ(defaults->doubleValue("CloseMainWindowAfterSeconds"), 2.5);
    EXPECT_EQ(defaults->stringArrayValue("empty"), QStringList{});
    EXPECT_EQ(defaults->stringArrayValue("one"), QStringList{"automatic"});
    EXPECT_EQ(defaults->stringArrayValue("two"), (QStringList{"a", "b, c"}));
    EXPECT_EQ(defaults->stringValue("text"), "(not, an, array)");
}

TEST_F(UserDefaultsTest, WritingAnEqualValueNotifiesNobody)
{
    auto defaults = makeDefaults();
    QSignalSpy changed(defaults.get(), &UserDefaults::changed);
    defaults->setBool("flag", true);
    defaults->setBool("flag", true);
    defaults->setStringArray("list", {});
    defaults->setStringArray("list", {});
    defaults->remove("absent");
    EXPECT_EQ(changed.count(), 2);

    // Also after a relaunch, where the INI file hands back text.
    auto relaunched = makeDefaults();
    QSignalSpy changedAfter(relaunched.get(), &UserDefaults::changed);
    relaunched->setBool("flag", true);
    relaunched->setStringArray("list", {});
    EXPECT_EQ(changedAfter.count(), 0);
    relaunched->setBool("flag", false);
    relaunched->remove("list");
    EXPECT_EQ(changedAfter.count(), 2);
    EXPECT_EQ(changedAfter.at(0).at(0).toString(), "flag");
}

} // namespace
} // namespace brisvane
