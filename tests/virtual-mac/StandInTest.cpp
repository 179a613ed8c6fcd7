// The stand-in launchctl and osascript inside a virtual Mac made by brisvane-sim, as real
// processes. The app's own installer scripts run through them in the app's end-to-end tests.
#include "platform/virtual-mac/AppleScriptSource.h"
#include "platform/virtual-mac/LaunchdDomain.h"
#include "tests/virtual-mac/VsmcTestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <csignal>

namespace brisvane {
namespace {

using ::testing::HasSubstr;
namespace fs = std::filesystem;

constexpr const char* kLabel = "org.example.testjob";

// A job that says where it runs once its SIGTERM handling is in place, ends politely on
// SIGTERM (unless told to ignore it), and otherwise runs until stopped.
constexpr const char* kJobScript = R"(#!/bin/sh
if [ "$1" = stubborn ]; then trap '' TERM; else trap 'echo "got TERM"; exit 0' TERM; fi
echo "started in $BRISVANE_SYSTEM_ROOT with $*"
if [ "$1" = once ]; then exit "$2"; fi
while :; do sleep 0.05; done
)";

std::string jobPlist(const std::string& extraKeys, const std::string& firstArgument = "",
                     const std::string& secondArgument = "1")
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n"
           "<key>Label</key><string>" +
           std::string(kLabel) +
           "</string>\n<key>ProgramArguments</key><array>"
           "<string>/usr/local/libexec/testjob</string><string>" +
           firstArgument + "</string><string>" + secondArgument + "</string></array>\n" +
           extraKeys + "\n</dict>\n</plist>\n";
}

class LaunchctlStandIn : public ::testing::Test {
protected:
    test::SimulatedMac mac;
    LaunchdDomain domain{mac.root()};

    fs::path plistPath() const
    {
        return mac.root() / "Library/LaunchDaemons" / (std::string(kLabel) + ".plist");
    }
    std::string log() const { return test::readFile(domain.logFile(kLabel)); }

    // Installs the test job with `extraKeys` in its plist and bootstraps it.
    void load(const std::string& extraKeys, const std::string& argument = "")
    {
        test::writeFile(mac.root() / "usr/local/libexec/testjob", kJobScript, true);
        test::writeFile(plistPath(), jobPlist(extraKeys, argument));
        const auto bootstrap = mac.launchctl({"bootstrap", "system", plistPath().string()});
        ASSERT_EQ(bootstrap.status, 0) << bootstrap.output;
    }
    test::RunResult bootout() const
    {
        return mac.launchctl({"bootout", std::string("system/") + kLabel});
    }
    // The running job's pid once it has started and said so; -1 (and a failure) if it never does.
    pid_t startedJob() const
    {
        pid_t pid = -1;
        const bool started = test::eventually([&] {
            const auto state = domain.describe(kLabel);
            pid = state && (*state)["pid"].is_number() ? (*state)["pid"].get<pid_t>() : -1;
            return pid > 0 && log().find("started") != std::string::npos;
        });
        if (!started)
            ADD_FAILURE() << "the job did not start; log: " << log();
        return started ? pid : -1;
    }
    int runs() const
    {
        return domain.describe(kLabel).value_or(nlohmann::json::object()).value("runs", 0);
    }
};

TEST_F(LaunchctlStandIn, BootoutKillsAJobThatIgnoresSigtermAfterItsExitTimeout)
{
    load("<key>RunAtLoad</key><true/><key>ExitTimeOut</key><integer>1</integer>", "stubborn");
    const pid_t job = startedJob();
    ASSERT_GT(job, 0);
    EXPECT_EQ(bootout().status, 0);
    EXPECT_FALSE(ProcessControl::isAlive(job));
}

TEST_F(LaunchctlStandIn, SuccessfulExitFalseRestartsOnlyAfterAFailure)
{
    const std::string keepAlive =
        "<key>KeepAlive</key><dict><key>SuccessfulExit</key><false/></dict>";
    load(keepAlive, "once"); // exits 1 every time, so it keeps being started
    ASSERT_TRUE(test::eventually([&] { return runs() >= 2; }));
    ASSERT_EQ(bootout().status, 0);

    // The same job exiting 0 runs once and stays down.
    test::writeFile(plistPath(), jobPlist(keepAlive, "once", "0"));
    ASSERT_EQ(mac.launchctl({"bootstrap", "system", plistPath().string()}).status, 0);
    ASSERT_TRUE(test::eventually([&] {
        auto s = domain.describe(kLabel);
        return s && s->value("state", "") == "not running";
    }));
    EXPECT_EQ(runs(), 1);
}

TEST_F(LaunchctlStandIn, RefusalsCarryLaunchctlsStatusAndText)
{
    load("<key>KeepAlive</key><true/>");
    const fs::path bad = mac.root() / "Library/LaunchDaemons/bad.plist";
    test::writeFile(bad, "<plist><dict><key>Label</key></dict></plist>");
    const struct {
        std::vector<std::string> args;
        int status;
        const char* text;
    } rows[] = {
        {{"bootstrap", "system", plistPath().string()}, 37, "Bootstrap failed: 37"},
        {{"bootstrap", "system", bad.string()}, 5, "Bootstrap failed: 5"},
        {{"print", "system/org.example.none"}, 113, "Could not find service \"org.example.none\""},
        {{"bootout", "system/org.example.none"}, 3, "Boot-out failed: 3: No such process"},
        {{"bootstrap", "gui/501", plistPath().string()}, 64, ""},
        {{"print", "user/501/x"}, 64, ""},
    };
    for (const auto& row : rows) {
        const auto result = mac.launchctl(row.args);
        EXPECT_EQ(result.status, row.status) << row.args[0] << " " << row.args[1];
        EXPECT_THAT(result.output, HasSubstr(row.text));
    }
}

class BrisvaneSimDown : public LaunchctlStandIn {};

TEST_F(BrisvaneSimDown, BootsOutTheJobsItsLaunchctlStarted)
{
    load("<key>KeepAlive</key><true/>");
    const pid_t job = startedJob();
    ASSERT_GT(job, 0);
    const auto down =
        test::run({test::binary("brisvane-sim").string(), "down", mac.root().string()});
    EXPECT_EQ(down.status, 0) << down.output;
    EXPECT_FALSE(ProcessControl::isAlive(job));
}

class OsascriptStandIn : public ::testing::Test {
protected:
    test::SimulatedMac mac;

    static std::string admin(const std::string& script)
    {
        return "do shell script \"" + AppleScriptSource::escape(script) +
               "\" with administrator privileges";
    }
};

TEST_F(OsascriptStandIn, PayloadsReachShUnchanged)
{
    const fs::path out = mac.root() / "tmp/payload";
    for (const std::string payload :
         {"plain", "say \"hi\" and \"\"", "back\\slash \\\\ \\\" \\n end\\", "it's 'single' ''",
          "line one\nline two\n\nline four", "mixed: \"a\\\\b\" 'c\"d' \\'\n\t$HOME `x`"}) {
        // A quoted here-document hands its body to cat byte for byte.
        const std::string script =
            "cat > '" + out.string() + "' <<'BRISVANE_END'\n" + payload + "\nBRISVANE_END";
        const auto result = mac.osascript(admin(script));
        ASSERT_EQ(result.status, 0) << payload << result.output;
        EXPECT_EQ(test::readFile(out), payload + "\n");
    }
}

TEST_F(OsascriptStandIn, AnswersLikeOsascriptForOutputFailureAndCancel)
{
    const auto ok = mac.osascript(admin("echo first; echo second"));
    EXPECT_EQ(ok.status, 0);
    EXPECT_EQ(ok.output, "first\nsecond\n");

    const auto failed = mac.osascript(admin("echo 'cp: no such file' >&2; exit 3"));
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.output, "execution error: cp: no such file (3)\n");

    const fs::path marker = mac.root() / "tmp/ran";
    const auto cancelled =
        mac.osascript(admin("touch '" + marker.string() + "'"), {{"BRISVANE_SIM_ADMIN", "cancel"}});
    EXPECT_EQ(cancelled.status, 1);
    EXPECT_EQ(cancelled.output, "execution error: User canceled. (-128)\n");
    EXPECT_FALSE(fs::exists(marker)) << "a cancelled dialog runs nothing";

    const auto syntax = mac.osascript("do shell script \"a\\nb\" with administrator privileges");
    EXPECT_EQ(syntax.status, 1);
    EXPECT_THAT(syntax.output, HasSubstr("syntax error"));
}

} // namespace
} // namespace brisvane
