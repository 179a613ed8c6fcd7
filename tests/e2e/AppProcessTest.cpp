// The Brisvane program as real processes in a virtual Mac made by brisvane-sim: the diagnostic
// report without a display, the helper commands (also from a moved tree of the app's files),
// --headless driving the fans by a preset and handing them back, one copy per user (a polite
// quit, else a kill after 2 s), quitting against a daemon that no longer answers, the commands
// for the running copy, presets shared as files, and a preset following its own temperature
// source. Windowed copies run on the offscreen platform.

#include "tests/e2e/DaemonTestSupport.h"

#include "shared/HelperShared.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include <unistd.h>

namespace brisvane::test {
namespace {

using namespace std::chrono_literals;

std::string brisvane()
{
    return binary("Brisvane").string();
}

// Private user folders and a system root for the copies of Brisvane a test starts; every copy
// still running at the end is stopped.
class AppProcessTest : public ::testing::Test {
protected:
    ~AppProcessTest() override
    {
        if (m_stoppedDaemon > 0)
            ::kill(m_stoppedDaemon, SIGCONT);
    }

    void bringUpMac()
    {
        m_mac = std::make_unique<SimulatedMacRig>();
        m_systemRoot = m_mac->root();
    }
    const std::filesystem::path& systemRoot() const { return m_systemRoot; }

    std::map<std::string, std::string> environment() const
    {
        std::map<std::string, std::string> env = m_userFolders;
        env.insert({{"BRISVANE_SYSTEM_ROOT", m_systemRoot.string()},
                    {"DBUS_SYSTEM_BUS_ADDRESS", systemBusAddress(m_systemRoot)},
                    {"QT_QPA_PLATFORM", "offscreen"},
                    {"LC_ALL", "C.UTF-8"}});
        return env;
    }
    std::filesystem::path instanceSocket() const
    {
        return m_userFolders.at("XDG_RUNTIME_DIR") + "/org.brisvane.Brisvane-" +
               std::to_string(::getuid());
    }

    RunResult runApp(const std::vector<std::string>& arguments,
                     std::map<std::string, std::string> extra = {}) const
    {
        std::vector<std::string> argv{brisvane()};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        std::map<std::string, std::string> env = environment();
        env.insert(extra.begin(), extra.end());
        return run(argv, env);
    }
    // A copy of Brisvane in the background; its output goes to <name>.log.
    ChildProcess& startApp(const std::string& name, const std::vector<std::string>& arguments)
    {
        std::vector<std::string> argv{brisvane()};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        return *m_apps.emplace_back(
            std::make_unique<ChildProcess>(argv, logPath(name), environment()));
    }
    std::filesystem::path logPath(const std::string& name) const
    {
        return m_user.path() / (name + ".log");
    }
    std::string appLog(const std::string& name) const { return readFile(logPath(name)); }

    void installHelper()
    {
        const RunResult installed = runApp({"--install-helper"});
        ASSERT_EQ(installed.status, 0) << installed.output;
        ASSERT_NE(installed.output.find("The helper answers: version 1.0.2, phase idle"),
                  std::string::npos)
            << installed.output;
    }

    // The --status --json object of the running copy.
    nlohmann::json statusObject() const
    {
        const RunResult result = runApp({"--status", "--json"});
        if (result.status != 0)
            return nullptr;
        const std::size_t line = result.output.find('{');
        return line == std::string::npos
                   ? nullptr
                   : nlohmann::json::parse(result.output.substr(line), nullptr, false);
    }
    bool fansAtMaximum() const
    {
        for (const auto& fan : fans())
            if (fan.value("mode", -1) != 1 ||
                fan.value("target", 0.0) < fan.value("max", 0.0) - 0.5)
                return false;
        return true;
    }
    std::filesystem::path presetFile() const
    {
        return std::filesystem::path(m_userFolders.at("XDG_DATA_HOME")) / "Brisvane/presets.json";
    }

    nlohmann::json control(const std::string& line) const { return m_mac->control(line); }
    nlohmann::json fans() const { return control("status")["fans"]; }
    bool targetsAtLeast(double rpm) const
    {
        for (const auto& fan : fans())
            if (fan.value("mode", -1) != 1 || fan.value("target", 0.0) < rpm - 0.5)
                return false;
        return true;
    }
    // Whether the writes since `start` hold a release: the modes back to automatic, then Ftst.
    bool releasedSince(std::size_t start) const
    {
        const std::vector<std::string> order = writeOrder(m_mac->writesSince(start));
        return std::search(order.begin(), order.end(), kReleaseOrder.begin(),
                           kReleaseOrder.end()) != order.end();
    }
    std::optional<pid_t> daemonPid() const { return m_mac->mac().daemonPid(); }
    void stopDaemon(pid_t pid)
    {
        ASSERT_EQ(::kill(pid, SIGSTOP), 0);
        m_stoppedDaemon = pid;
    }

    TemporaryRoot m_user;
    const std::map<std::string, std::string> m_userFolders = userFolders(m_user.path());
    std::unique_ptr<SimulatedMacRig> m_mac;
    std::filesystem::path m_systemRoot = m_user.path() / "no-mac";
    std::vector<std::unique_ptr<ChildProcess>> m_apps;
    pid_t m_stoppedDaemon = -1;
};

TEST_F(AppProcessTest, DumpSMCKeysPrintsTheReportWithoutADisplayWithOrWithoutAnSMC)
{
    const std::vector<std::string> withoutDisplay{
        "/usr/bin/env",    "-u",       "QT_QPA_PLATFORM", "-u", "DISPLAY", "-u",
        "WAYLAND_DISPLAY", brisvane(), "-DumpSMCKeys"};
    std::filesystem::create_directories(systemRoot());
    std::vector<std::string> headless = withoutDisplay;
    headless.insert(headless.end() - 1, "--headless");
    RunResult report = run(headless, environment());
    EXPECT_EQ(report.status, 0) << report.output;
    EXPECT_NE(report.output.find("\nFATAL: could not open the SMC: "), std::string::npos)
        << report.output;
    EXPECT_TRUE(
        report.output.ends_with("Nothing below can be collected. Please send this file anyway.\n"))
        << report.output;

    bringUpMac();
    report = run(withoutDisplay, environment());
    EXPECT_EQ(report.status, 0) << report.output;
    for (const char* line : {"Brisvane SMC diagnostic dump\n", "SMC connection: OK\n",
                             "FNum           : 2\n", "-- sensor discovery", "\nEnd of dump.\n"})
        EXPECT_NE(report.output.find(line), std::string::npos) << line << "\n" << report.output;
    EXPECT_EQ(report.output.find("FATAL"), std::string::npos);
    EXPECT_EQ(report.output.find("org.brisvane.Brisvane."), std::string::npos)
        << "the app started more than the report:\n"
        << report.output;
}

TEST_F(AppProcessTest, TheHelperCommandsInstallAndRemoveTheDaemon)
{
    bringUpMac();
    const std::filesystem::path installed =
        systemRoot() / "Library/PrivilegedHelperTools/org.brisvane.Brisvane.helper";
    const std::filesystem::path plist =
        systemRoot() / "Library/LaunchDaemons/org.brisvane.Brisvane.helper.plist";

    const RunResult cancelled = runApp({"--install-helper"}, {{"BRISVANE_SIM_ADMIN", "cancel"}});
    EXPECT_EQ(cancelled.status, 1) << cancelled.output;
    EXPECT_NE(cancelled.output.find("Could not install the helper: "), std::string::npos)
        << cancelled.output;
    EXPECT_NE(cancelled.output.find("User canceled"), std::string::npos) << cancelled.output;
    EXPECT_FALSE(std::filesystem::exists(installed));

    installHelper();
    EXPECT_TRUE(std::filesystem::exists(installed));
    EXPECT_TRUE(std::filesystem::exists(plist));
    ASSERT_TRUE(daemonPid());

    // A daemon that is not running cannot remove itself; a cancelled password then leaves it.
    ASSERT_EQ(m_mac->mac().launchctl({"bootout", "system/org.brisvane.Brisvane.helper"}).status, 0);
    const RunResult kept = runApp({"--uninstall-helper"}, {{"BRISVANE_SIM_ADMIN", "cancel"}});
    EXPECT_EQ(kept.status, 1) << kept.output;
    EXPECT_NE(kept.output.find("The helper is still installed"), std::string::npos) << kept.output;
    EXPECT_TRUE(std::filesystem::exists(installed));

    const RunResult removed = runApp({"--uninstall-helper"});
    EXPECT_EQ(removed.status, 0) << removed.output;
    EXPECT_NE(removed.output.find("The helper is not installed."), std::string::npos)
        << removed.output;
    EXPECT_FALSE(std::filesystem::exists(installed));
    EXPECT_FALSE(std::filesystem::exists(plist));
    EXPECT_FALSE(daemonPid());
}

// A tree of the app's files moved elsewhere still finds its own daemon and property list, and
// the daemon --install-helper puts in place is that tree's: its copy carries bytes after the
// end of the program (which still runs), so that it differs from the build tree's.
TEST_F(AppProcessTest, AMovedTreeInstallsItsOwnHelper)
{
    namespace fs = std::filesystem;
    bringUpMac();
    const fs::path tree = m_user.path() / "tree";
    for (const char* file : {"bin/Brisvane", "libexec/brisvane/BrisvaneHelper",
                             "share/brisvane/org.brisvane.Brisvane.helper.plist"}) {
        fs::create_directories((tree / file).parent_path());
        std::error_code linked;
        fs::create_hard_link(buildPath(file), tree / file, linked);
        if (linked)
            fs::copy_file(buildPath(file), tree / file);
    }
    const fs::path helper = tree / "libexec/brisvane/BrisvaneHelper";
    const std::string marked = readFile(helper) + "moved-tree";
    fs::remove(helper);
    writeFile(helper, marked, true);
    const fs::path moved = m_user.path() / "moved";
    fs::rename(tree, moved);

    std::vector<std::string> argv{(moved / "bin/Brisvane").string(), "--install-helper"};
    const RunResult installed = run(argv, environment());
    ASSERT_EQ(installed.status, 0) << installed.output;
    EXPECT_NE(installed.output.find("The helper answers: version 1.0.2, phase idle"),
              std::string::npos)
        << installed.output;
    EXPECT_TRUE(readFile(systemRoot() /
                         "Library/PrivilegedHelperTools/org.brisvane.Brisvane.helper") == marked)
        << "the daemon put in place is not the moved tree's";
    EXPECT_TRUE(daemonPid());
}

// Cool at 64 °C is 49 % (round(1200 + 4800 × 0.49) = 3552 RPM), at 72 °C 73 % (4704 RPM); the
// safety floor and macOS's own targets are lower at both.
TEST_F(AppProcessTest, HeadlessDrivesTheFansByThePresetAndHandsThemBackOnSIGTERM)
{
    bringUpMac();
    installHelper();
    control("load 1 1");
    control("temp 64");
    const std::size_t start = m_mac->writes().size();

    ChildProcess& app = startApp("headless", {"--headless", "-ActivatePreset", "Cool"});
    ASSERT_TRUE(eventually([&] { return targetsAtLeast(3552); }, 20s)) << fans().dump() << "\n"
                                                                       << appLog("headless");
    control("temp 72");
    // The status line is printed before each push, so it shows 4704 in force one sample later.
    ASSERT_TRUE(eventually(
        [&] {
            return targetsAtLeast(4704) &&
                   appLog("headless")
                           .find("| Cool 73% 73% | in force 4704 4704 rpm | helper controlling") !=
                       std::string::npos;
        },
        15s))
        << fans().dump() << "\n"
        << appLog("headless");

    bool controlling = false;
    for (const SmcWrite& write : m_mac->writesSince(start)) {
        controlling = controlling || (write.key == "F1Md" && write.bytes == "01" && !write.result);
        if (controlling && (write.key == "F0Tg" || write.key == "F1Tg")) {
            EXPECT_GE(write.asFloat(), 3552 - 0.5) << write.key << " below the Cool curve";
        }
    }

    const std::size_t beforeQuit = m_mac->writes().size();
    ASSERT_EQ(::kill(app.pid(), SIGTERM), 0);
    EXPECT_EQ(app.waitForExit(10s), 0) << appLog("headless");
    EXPECT_TRUE(releasedSince(beforeQuit));
    EXPECT_TRUE(m_mac->fansAutomatic());
    EXPECT_EQ(m_mac->violations(), nlohmann::json::array());

    const std::string log = appLog("headless");
    EXPECT_NE(log.find("| Cool 49% 49% |"), std::string::npos) << log;
    EXPECT_NE(log.find("quit: helper shut down after"), std::string::npos) << log;
}

TEST_F(AppProcessTest, ANewCopyMakesTheRunningOneQuitThroughItsQuitSequence)
{
    bringUpMac();
    installHelper();
    control("temp 64");
    ChildProcess& first = startApp("first", {"-ActivatePreset", "Full Speed"});
    const pid_t firstPid = first.pid();
    ASSERT_TRUE(eventually([&] { return targetsAtLeast(6000); }, 20s)) << appLog("first");
    const std::size_t start = m_mac->writes().size();

    ChildProcess& second = startApp("second", {"-ActivatePreset", "Full Speed"});
    EXPECT_EQ(first.waitForExit(15s), 0) << appLog("first");
    const std::string firstLog = appLog("first");
    EXPECT_NE(firstLog.find("a newer copy asked this one to quit"), std::string::npos) << firstLog;
    EXPECT_NE(firstLog.find("quit: fans handed back after"), std::string::npos) << firstLog;
    EXPECT_NE(firstLog.find("quit: helper shut down after"), std::string::npos) << firstLog;
    // Only the first copy ever asks for a release: the second wants full speed.
    EXPECT_TRUE(releasedSince(start));
    EXPECT_NE(appLog("second").find("asking the running copy (pid " + std::to_string(firstPid) +
                                    ") to quit"),
              std::string::npos)
        << appLog("second");

    EXPECT_TRUE(eventually([&] { return targetsAtLeast(6000); }, 20s))
        << "the new copy takes over:\n"
        << appLog("second");
    ASSERT_EQ(::kill(second.pid(), SIGTERM), 0);
    EXPECT_EQ(second.waitForExit(10s), 0) << appLog("second");
}

TEST_F(AppProcessTest, AnOlderCopyThatDoesNotQuitIsKilledAfterTwoSeconds)
{
    std::filesystem::create_directories(systemRoot());
    ChildProcess& first = startApp("first", {"--headless"});
    const pid_t firstPid = first.pid();
    ASSERT_TRUE(eventually([&] { return std::filesystem::is_socket(instanceSocket()); }))
        << appLog("first");
    ASSERT_EQ(::kill(first.pid(), SIGSTOP), 0);

    ChildProcess& second = startApp("second", {"--headless"});
    EXPECT_EQ(first.waitForExit(10s), 128 + SIGKILL);
    const std::string log = appLog("second");
    EXPECT_NE(log.find("the running copy (pid " + std::to_string(firstPid) +
                       ") did not quit within 2000 ms; killing it"),
              std::string::npos)
        << log;

    // The new copy answers for the next one.
    ChildProcess& third = startApp("third", {"--headless"});
    EXPECT_EQ(second.waitForExit(10s), 0) << appLog("second");
    EXPECT_NE(appLog("second").find("a newer copy asked this one to quit"), std::string::npos);
    ASSERT_EQ(::kill(third.pid(), SIGINT), 0);
    EXPECT_EQ(third.waitForExit(10s), 0) << appLog("third");
}

// Each of the two calls ends by its 3 s limit, so the quit ends well within the wait; the log
// shows each step ending only after its limit.
TEST_F(AppProcessTest, QuittingWithADaemonThatDoesNotAnswerStillEnds)
{
    bringUpMac();
    installHelper();
    control("temp 64");
    ChildProcess& app = startApp("window", {"-ActivatePreset", "Full Speed"});
    ASSERT_TRUE(eventually([&] { return targetsAtLeast(6000); }, 20s)) << appLog("window");
    const std::optional<pid_t> daemon = daemonPid();
    ASSERT_TRUE(daemon);
    stopDaemon(*daemon);

    ASSERT_EQ(::kill(app.pid(), SIGTERM), 0);
    EXPECT_EQ(app.waitForExit(15s), 0) << appLog("window");

    const std::string log = appLog("window");
    std::smatch match;
    ASSERT_TRUE(std::regex_search(log, match, std::regex("quit: fans handed back after (\\d+) ms")))
        << log;
    EXPECT_GE(std::stol(match[1]), 2900) << "the release got an answer from a stopped daemon?";
    ASSERT_TRUE(std::regex_search(log, match, std::regex("quit: helper shut down after (\\d+) ms")))
        << log;
    EXPECT_GE(std::stol(match[1]), 2900);
    EXPECT_EQ(countOccurrences(log, "quit: handing the fans back"), 1u);
}

// The commands work the same against the windowed app and --headless.
class AppCommandTest : public AppProcessTest, public ::testing::WithParamInterface<bool> {
protected:
    std::vector<std::string> appArguments() const
    {
        return GetParam() ? std::vector<std::string>{"--headless"} : std::vector<std::string>{};
    }
};

// Fans of the profile: 1200 to 6000 RPM, so a 50 % boost is 3600 RPM.
TEST_P(AppCommandTest, CommandsDriveTheRunningCopyWhichKeepsRunning)
{
    bringUpMac();
    installHelper();
    control("temp 64");

    for (const std::vector<std::string>& command : {std::vector<std::string>{"--status"},
                                                    {"--status", "--json"},
                                                    {"--activate-preset", "Cool"},
                                                    {"--boost", "10"}}) {
        const RunResult result = runApp(command);
        EXPECT_EQ(result.status, 3) << command[0] << "\n" << result.output;
        EXPECT_NE(result.output.find("Brisvane is not running"), std::string::npos);
    }
    for (const char* bad : {"101", "-1", "50.5", "abc", ""}) {
        const RunResult result = runApp({"--boost", bad});
        EXPECT_EQ(result.status, 2) << bad << "\n" << result.output;
    }

    ChildProcess& app = startApp("app", appArguments());
    ASSERT_TRUE(eventually(
        [&] {
            const nlohmann::json status = statusObject();
            return status.is_object() && status["fans"].size() == 2 && status["phase"].is_string();
        },
        20s))
        << appLog("app");
    nlohmann::json status = statusObject();
    std::vector<std::string> keys;
    for (const auto& [key, value] : status.items())
        keys.push_back(key);
    EXPECT_EQ(keys, (std::vector<std::string>{"activePreset", "boostPercent", "cpuCelsius", "fans",
                                              "gpuCelsius", "helper", "phase", "presets",
                                              "systemCelsius"}));
    EXPECT_EQ(status["activePreset"], "Automatic");
    EXPECT_EQ(status["presets"], nlohmann::json({"Cool", "Full Speed"}));
    EXPECT_EQ(status["helper"], "installed");
    EXPECT_EQ(status["boostPercent"], 0);
    EXPECT_TRUE(status["cpuCelsius"].is_number() && status["gpuCelsius"].is_number() &&
                status["systemCelsius"].is_number())
        << status.dump();
    EXPECT_EQ(status["fans"][0]["name"], "Left fan");
    EXPECT_EQ(status["fans"][1]["maxRPM"], 6000);
    for (const char* field : {"rpm", "targetRPM", "minRPM", "maxRPM"})
        EXPECT_TRUE(status["fans"][1][field].is_number()) << field;

    RunResult result = runApp({"--activate-preset", "Full Speed"});
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_TRUE(eventually([&] { return fansAtMaximum(); }, 20s)) << fans().dump();
    result = runApp({"--status"});
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_NE(result.output.find("Preset: Full Speed, boost 0 %"), std::string::npos)
        << result.output;
    EXPECT_NE(result.output.find("Left fan: "), std::string::npos) << result.output;

    result = runApp({"--activate-preset", "full speed"});
    EXPECT_EQ(result.status, 1) << result.output;
    EXPECT_NE(result.output.find("Presets: Automatic, Cool, Full Speed"), std::string::npos)
        << result.output;
    EXPECT_EQ(statusObject()["activePreset"], "Full Speed");

    result = runApp({"--activate-preset", "Automatic"});
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_TRUE(eventually([&] { return m_mac->fansAutomatic(); }, 20s)) << fans().dump();

    result = runApp({"--boost", "50"});
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_TRUE(eventually([&] { return targetsAtLeast(3600); }, 20s)) << fans().dump();
    EXPECT_EQ(statusObject()["boostPercent"], 50);
    result = runApp({"--boost", "0"});
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_TRUE(eventually([&] { return m_mac->fansAutomatic(); }, 20s)) << fans().dump();

    EXPECT_FALSE(app.waitForExit(0ms)) << "a command made the running copy quit";
    EXPECT_EQ(appLog("app").find("a newer copy asked this one to quit"), std::string::npos);
    ASSERT_EQ(::kill(app.pid(), SIGTERM), 0);
    EXPECT_EQ(app.waitForExit(15s), 0) << appLog("app");
}

INSTANTIATE_TEST_SUITE_P(WindowedAndHeadless, AppCommandTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "headless" : "windowed"; });

// Export and import with no copy running (on the preset file) and through a running one; every
// refused import leaves the preset file byte for byte as it was.
TEST_F(AppProcessTest, PresetsTravelAsFilesAndRefusedImportsChangeNothing)
{
    std::filesystem::create_directories(systemRoot());
    const std::filesystem::path fixture =
        std::filesystem::path(BRISVANE_SOURCE_DIR) / "tests/e2e/fixtures/exported-preset.json";
    const std::filesystem::path folder = m_user.path() / "shared";
    std::filesystem::create_directories(folder);

    RunResult result = runApp({"--import-preset", fixture.string()});
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_NE(result.output.find("Imported \"Quiet Render\""), std::string::npos) << result.output;
    nlohmann::json stored = nlohmann::json::parse(readFile(presetFile()));
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0]["name"], "Quiet Render");
    EXPECT_NE(stored[0]["id"], "3F2B8C1E-9D4A-4B6E-8A1F-0C2D3E4F5A6B") << "a new identifier";
    EXPECT_EQ(stored[0]["curves"][1]["points"][1]["tempC"], 80);

    result = runApp({"--export-preset", "Full Speed", (folder / "full.json").string()});
    EXPECT_EQ(result.status, 0) << result.output;
    const std::string exported = readFile(folder / "full.json");
    EXPECT_TRUE(exported.starts_with("{\n    \"curves\": [")) << exported;
    result = runApp({"--export-preset", "Nothing", (folder / "none.json").string()});
    EXPECT_EQ(result.status, 1) << result.output;
    EXPECT_NE(result.output.find("Presets: Cool, Full Speed, Quiet Render"), std::string::npos)
        << result.output;

    writeFile(
        folder / "bad-id.json",
        R"({"curves":[],"id":"not-a-uuid","isBuiltIn":false,"name":"X","symbolName":"wind"})");
    // Latin-1, not UTF-8: refused alike with and without a running copy, never patched up.
    writeFile(folder / "latin1.json",
              R"({"curves":[],"id":"3F2B8C1E-9D4A-4B6E-8A1F-0C2D3E4F5A6B","isBuiltIn":false,)"
              "\"name\":\"Caf\xe9\",\"symbolName\":\"wind\"}");
    writeFile(folder / "truncated.json", exported.substr(0, exported.size() / 2));
    writeFile(folder / "huge.json", "[" + std::string(10 * 1024 * 1024, ' ') + "]");
    const struct {
        std::filesystem::path file;
        std::string fault;
    } refused[] = {
        {folder / "bad-id.json", "\"id\" is not a UUID: not-a-uuid"},
        {folder / "truncated.json", "not JSON"},
        {folder / "latin1.json", "not JSON: invalid UTF8 string"},
        {folder / "huge.json", "larger than 1048576 bytes"},
        {folder / "missing.json", "Cannot import"},
    };
    const auto refusesAll = [&](const char* where) {
        const std::string before = readFile(presetFile());
        for (const auto& row : refused) {
            const RunResult refusal = runApp({"--import-preset", row.file.string()});
            EXPECT_EQ(refusal.status, 1) << where << " " << row.file << "\n" << refusal.output;
            EXPECT_NE(refusal.output.find(row.fault), std::string::npos) << where << "\n"
                                                                         << refusal.output;
            EXPECT_EQ(readFile(presetFile()), before) << where << " " << row.file;
        }
    };
    refusesAll("without a running copy");

    ChildProcess& app = startApp("app", {"--headless"});
    ASSERT_TRUE(eventually([&] { return statusObject().is_object(); })) << appLog("app");
    refusesAll("through the running copy");

    // An array of two fills the last two places; the names already taken get numbers.
    writeFile(folder / "two.json",
              "[" + readFile(fixture) + "," + exported.substr(0, exported.size() - 1) + "]");
    result = runApp({"--import-preset", (folder / "two.json").string()});
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_EQ(statusObject()["presets"], nlohmann::json({"Cool", "Full Speed", "Quiet Render",
                                                         "Quiet Render 2", "Full Speed 2"}));
    // The running copy saved them.
    EXPECT_EQ(nlohmann::json::parse(readFile(presetFile())).size(), 3u);

    const std::string full = readFile(presetFile());
    result = runApp({"--import-preset", fixture.string()});
    EXPECT_EQ(result.status, 1) << result.output;
    EXPECT_NE(result.output.find("Preset limit reached"), std::string::npos) << result.output;
    EXPECT_EQ(readFile(presetFile()), full);

    result = runApp({"--export-preset", "Quiet Render 2", (folder / "again.json").string()});
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_EQ(nlohmann::json::parse(readFile(folder / "again.json"))["name"], "Quiet Render 2");

    EXPECT_FALSE(app.waitForExit(0ms)) << "a command made the running copy quit";
    ASSERT_EQ(::kill(app.pid(), SIGTERM), 0);
    EXPECT_EQ(app.waitForExit(10s), 0) << appLog("app");

    // Without a running copy the limit holds just the same.
    result = runApp({"--import-preset", fixture.string()});
    EXPECT_EQ(result.status, 1) << result.output;
    EXPECT_NE(result.output.find("Preset limit reached"), std::string::npos) << result.output;
    EXPECT_EQ(readFile(presetFile()), full);
}

// A step from 0 % to 100 % at 60 °C. The CPU under full load passes 60 °C within seconds, the
// idle GPU stays near 42 °C: the preset following the GPU asks for nothing, so macOS keeps the
// fans, where the app's own setting (the larger average) would have run them flat out; the
// same curve following the CPU runs them at their maximum.
TEST_F(AppProcessTest, APresetFollowsItsOwnTemperatureSource)
{
    bringUpMac();
    installHelper();
    control("load 1 0");
    const auto stepPreset = [](const char* id, const char* name, const char* source) {
        return nlohmann::json{
            {"id", id},
            {"name", name},
            {"symbolName", "fanblades"},
            {"isBuiltIn", false},
            {"temperatureSource", source},
            {"curves",
             {{{"points", {{{"tempC", 59}, {"percent", 0}}, {{"tempC", 60}, {"percent", 100}}}}}}}};
    };
    writeFile(presetFile(),
              nlohmann::json::array(
                  {stepPreset("5d1c2b3a-0000-4000-8000-000000000001", "GPU Step", "gpu"),
                   stepPreset("5d1c2b3a-0000-4000-8000-000000000002", "CPU Step", "cpu")})
                  .dump());
    ASSERT_TRUE(
        eventually([&] { return control("status")["dies"]["cpu"].get<double>() > 65; }, 30s))
        << control("status").dump();

    ChildProcess& app = startApp("headless", {"--headless", "-ActivatePreset", "GPU Step"});
    // Several samples evaluated at the GPU's temperature, the fans untouched all along.
    ASSERT_TRUE(eventually(
        [&] { return countOccurrences(appLog("headless"), "| GPU Step 0% 0% |") >= 3; }, 20s))
        << appLog("headless");
    const nlohmann::json status = statusObject();
    EXPECT_GT(status["cpuCelsius"].get<double>(), 60) << status.dump();
    EXPECT_LT(status["gpuCelsius"].get<double>(), 50) << status.dump();
    EXPECT_TRUE(m_mac->fansAutomatic()) << fans().dump();
    for (const SmcWrite& write : m_mac->writes())
        EXPECT_FALSE(write.key == "F0Md" || write.key == "F1Md") << "a mode write: " << write.key;

    const RunResult switched = runApp({"--activate-preset", "CPU Step"});
    ASSERT_EQ(switched.status, 0) << switched.output;
    EXPECT_TRUE(eventually([&] { return fansAtMaximum(); }, 20s)) << fans().dump() << "\n"
                                                                  << appLog("headless");
    EXPECT_NE(appLog("headless").find("| CPU Step 100% 100% |"), std::string::npos)
        << appLog("headless");

    ASSERT_EQ(::kill(app.pid(), SIGTERM), 0);
    EXPECT_EQ(app.waitForExit(10s), 0) << appLog("headless");
    EXPECT_TRUE(m_mac->fansAutomatic());
    EXPECT_EQ(m_mac->violations(), nlohmann::json::array());
}

} // namespace
} // namespace brisvane::test
