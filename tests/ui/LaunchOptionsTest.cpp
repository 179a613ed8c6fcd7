// The program's own options beside the Mac-style user-default arguments, which the option parser
// must never see and must set aside exactly as UserDefaults reads them.

#include "app/ui/LaunchOptions.h"

#include "app/core/UserDefaults.h"

#include <gtest/gtest.h>

namespace brisvane {
namespace {

using Mode = LaunchOptions::Mode;

// Each row: the mode, and the arguments (split at spaces) that give it.
TEST(LaunchOptionsTest, ModeFromTheArguments)
{
    const std::pair<Mode, QStringList> rows[] = {
        // A "-Key" takes the next argument as its value, whatever it looks like.
        {Mode::windowed,
         {"", "-ActivatePreset Cool", "-ActivatePreset Cool -ForceColorScheme dark",
          "-ActivatePreset --headless", "-dumpsmckeys", "--panel"}},
        {Mode::headless,
         {"--headless", "--headless -ActivatePreset Cool", "-ActivatePreset Cool --headless",
          "-CloseMainWindowAfterSeconds -1 --headless"}},
        {Mode::installHelper, {"--install-helper"}},
        {Mode::uninstallHelper, {"--uninstall-helper"}},
        {Mode::help, {"-h"}},
        {Mode::version, {"--version"}},
        {Mode::dumpSMCKeys, {"-DumpSMCKeys", "--headless --bogus -DumpSMCKeys"}},
        {Mode::status, {"--status", "--status --json", "--json --status -ActivatePreset Cool"}},
        {Mode::activatePreset, {"--activate-preset Cool", "--activate-preset=Automatic"}},
        {Mode::boost, {"--boost 0", "--boost 100", "--boost=42"}},
        {Mode::exportPreset, {"--export-preset Cool cool.json"}},
        {Mode::importPreset, {"--import-preset cool.json"}},
        {Mode::usageError,
         {"--help --bogus",
          "--bogus",
          "-x",
          "stray",
          "--panel --headless",
          "--headless --install-helper",
          "--install-helper --uninstall-helper",
          "--json",
          "--status --boost 5",
          "--status --headless",
          "--panel --activate-preset Cool",
          "--boost",
          "--boost 101",
          "--boost -1",
          "--boost 5.0",
          "--boost +5",
          "--boost 0x10",
          "--boost five",
          "--export-preset Cool",
          "--export-preset Cool a.json b.json",
          "--import-preset",
          "--import-preset a.json b.json",
          "--status stray"}}};
    for (const auto& [mode, argumentLines] : rows) {
        for (const QString& line : argumentLines) {
            SCOPED_TRACE(line.toStdString());
            const QStringList arguments = line.split(u' ', Qt::SkipEmptyParts);
            const LaunchOptions options = LaunchOptions::parse(QStringList{"Brisvane"} + arguments);
            EXPECT_EQ(options.mode, mode) << options.error.toStdString();
            EXPECT_EQ(options.error.isEmpty(), mode != Mode::usageError);
            EXPECT_EQ(options.openPanel, mode == Mode::windowed && arguments.contains("--panel"));
            EXPECT_EQ(options.json, arguments.contains("--json") && mode == Mode::status);
        }
    }
}

TEST(LaunchOptionsTest, CommandsKeepTheirArguments)
{
    LaunchOptions options = LaunchOptions::parse({"Brisvane", "--activate-preset", "Full Speed"});
    EXPECT_EQ(options.presetName, "Full Speed");
    options = LaunchOptions::parse({"Brisvane", "--boost", "42"});
    EXPECT_EQ(options.boostPercent, 42);
    options = LaunchOptions::parse({"Brisvane", "--export-preset", "Cool", "/tmp/c.json"});
    EXPECT_EQ(options.presetName, "Cool");
    EXPECT_EQ(options.filePath, "/tmp/c.json");
    options = LaunchOptions::parse({"Brisvane", "--import-preset", "c.json"});
    EXPECT_EQ(options.filePath, "c.json");
}

// Whatever UserDefaults takes as a key or its value is exactly what the parser does not see.
TEST(LaunchOptionsSplitTest, SetsAsideWhatUserDefaultsReads)
{
    const QStringList arguments = QStringLiteral("Brisvane|-ActivatePreset|Full Speed|--headless|"
                                                 "-DumpSMCKeys|-InitialSection|-Flag|-_x|y|-|--|"
                                                 "-9|-h|-Last")
                                      .split(u'|');
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
    for (const char* name : {"--panel",
                             "--headless",
                             "--install-helper",
                             "--uninstall-helper",
                             "--help",
                             "--version",
                             "-DumpSMCKeys",
                             "-ActivatePreset",
                             "-ForceColorScheme",
                             "-CloseMainWindowAfterSeconds",
                             "-hideDockIconWhenWindowClosed",
                             "-InitialSection",
                             "-fanBoostTemperatureSource",
                             "BRISVANE_SYSTEM_ROOT",
                             "--status",
                             "--json",
                             "--activate-preset",
                             "--boost",
                             "--export-preset",
                             "--import-preset",
                             "\"activePreset\"",
                             "\"presets\"",
                             "\"boostPercent\"",
                             "\"helper\"",
                             "\"phase\"",
                             "\"systemCelsius\"",
                             "\"cpuCelsius\"",
                             "\"gpuCelsius\"",
                             "\"fans\"",
                             "\"targetRPM\"",
                             "\"minRPM\"",
                             "\"maxRPM\"",
                             "Brisvane is not running"})
        EXPECT_TRUE(help.contains(QLatin1StringView(name))) << name;
}

} // namespace
} // namespace brisvane
