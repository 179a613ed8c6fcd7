// The program's own options beside the Mac-style user-default arguments, which the option parser
// must never see and must set aside exactly as UserDefaults reads them.

#include "app/ui/LaunchOptions.h"

#include "app/core/UserDefaults.h"

#include <gtest/gtest.h>

#include <ostream>

namespace brisvane {
namespace {

using Mode = LaunchOptions::Mode;

struct OptionsCase {
    QStringList arguments; // after the program's name
    Mode mode;
};

void PrintTo(const OptionsCase& row, std::ostream* os)
{
    *os << row.arguments.join(u' ').toStdString();
}

class LaunchOptionsTest : public ::testing::TestWithParam<OptionsCase> {};

TEST_P(LaunchOptionsTest, ModeFromTheArguments)
{
    QStringList arguments = GetParam().arguments;
    arguments.prepend(QStringLiteral("Brisvane"));
    const LaunchOptions options = LaunchOptions::parse(arguments);
    EXPECT_EQ(options.mode, GetParam().mode) << options.error.toStdString();
    EXPECT_EQ(options.error.isEmpty(), GetParam().mode != Mode::usageError);
    EXPECT_EQ(options.openPanel, GetParam().mode == Mode::windowed &&
                                     GetParam().arguments.contains(QStringLiteral("--panel")));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, LaunchOptionsTest,
    ::testing::Values(
        OptionsCase{{}, Mode::windowed}, OptionsCase{{"-ActivatePreset", "Cool"}, Mode::windowed},
        OptionsCase{{"-ActivatePreset", "Full Speed", "-ForceColorScheme", "dark"}, Mode::windowed},
        OptionsCase{{"--headless"}, Mode::headless},
        OptionsCase{{"--headless", "-ActivatePreset", "Cool"}, Mode::headless},
        OptionsCase{{"-ActivatePreset", "Cool", "--headless"}, Mode::headless},
        // A "-Key" takes the next argument as its value, whatever it looks like.
        OptionsCase{{"-ActivatePreset", "--headless"}, Mode::windowed},
        OptionsCase{{"-CloseMainWindowAfterSeconds", "-1", "--headless"}, Mode::headless},
        OptionsCase{{"--install-helper"}, Mode::installHelper},
        OptionsCase{{"--uninstall-helper"}, Mode::uninstallHelper}, OptionsCase{{"-h"}, Mode::help},
        OptionsCase{{"--help", "--bogus"}, Mode::usageError},
        OptionsCase{{"--version"}, Mode::version}, OptionsCase{{"-DumpSMCKeys"}, Mode::dumpSMCKeys},
        OptionsCase{{"--headless", "--bogus", "-DumpSMCKeys"}, Mode::dumpSMCKeys},
        OptionsCase{{"-dumpsmckeys"}, Mode::windowed}, OptionsCase{{"--bogus"}, Mode::usageError},
        OptionsCase{{"-x"}, Mode::usageError}, OptionsCase{{"stray"}, Mode::usageError},
        OptionsCase{{"--headless", "--install-helper"}, Mode::usageError},
        OptionsCase{{"--install-helper", "--uninstall-helper"}, Mode::usageError},
        OptionsCase{{"--panel"}, Mode::windowed},
        OptionsCase{{"--panel", "--headless"}, Mode::usageError}));

// Whatever UserDefaults takes as a key or its value is exactly what the parser does not see.
TEST(LaunchOptionsSplitTest, SetsAsideWhatUserDefaultsReads)
{
    const QStringList arguments{"Brisvane",
                                "-ActivatePreset",
                                "Full Speed",
                                "--headless",
                                "-DumpSMCKeys",
                                "-InitialSection",
                                "-Flag",
                                "-_x",
                                "y",
                                "-",
                                "--",
                                "-9",
                                "-h",
                                "-Last"};
    const QStringList kept = LaunchOptions::programOptions(arguments);
    EXPECT_EQ(kept, (QStringList{"Brisvane", "--headless", "-", "--", "-9", "-h"}));
    const QVariantMap domain = UserDefaults::argumentDomain(arguments);
    for (auto it = domain.cbegin(); it != domain.cend(); ++it) {
        EXPECT_FALSE(kept.contains(u'-' + it.key())) << it.key().toStdString();
        EXPECT_FALSE(kept.contains(it.value().toString())) << it.value().toString().toStdString();
    }
}

TEST(LaunchOptionsHelpTest, DocumentsEveryOptionAndLaunchArgument)
{
    const QString help = LaunchOptions::helpText();
    for (const char* name :
         {"--panel", "--headless", "--install-helper", "--uninstall-helper", "--help", "--version",
          "-DumpSMCKeys", "-ActivatePreset", "-ForceColorScheme", "-CloseMainWindowAfterSeconds",
          "-hideDockIconWhenWindowClosed", "-InitialSection", "-fanBoostTemperatureSource",
          "BRISVANE_SYSTEM_ROOT"})
        EXPECT_TRUE(help.contains(QLatin1StringView(name))) << name;
}

} // namespace
} // namespace brisvane
