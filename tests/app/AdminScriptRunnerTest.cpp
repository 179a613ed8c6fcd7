// The administrator script: the AppleScript it becomes, the osascript it runs, and how each way
// a run can end reaches the caller — through a process seam that fails as the world does, and
// through the helper client's install and uninstall.

#include "tests/app/AppTestSupport.h"

#include "app/core/AdminScriptRunner.h"
#include "app/core/AppBundle.h"
#include "app/core/HelperClient.h"

#include <QCoroTask>

#include <gtest/gtest.h>

#include <cstdlib>
#include <variant>

namespace brisvane {
namespace {

// Ends every run as told and records what it was asked to start.
class ScriptedProcess : public AdminScriptRunner {
public:
    std::variant<ProcessResult, LaunchError> outcome = ProcessResult{};
    QString lastProgram;
    QStringList lastArguments;
    int runs = 0;

protected:
    QCoro::Task<ProcessResult> runProcess(QString program, QStringList arguments) override
    {
        ++runs;
        lastProgram = program;
        lastArguments = arguments;
        if (const auto* error = std::get_if<LaunchError>(&outcome))
            throw *error;
        co_return std::get<ProcessResult>(outcome);
    }
};

// What a run threw, if anything.
struct Thrown {
    std::optional<HelperInstallError> installError;
    std::optional<QString> launchError;
};

QCoro::Task<Thrown> catching(QCoro::Task<void> task)
{
    Thrown thrown;
    try {
        co_await task;
    } catch (const HelperInstallError& error) {
        thrown.installError = error;
    } catch (const AdminScriptRunner::LaunchError& error) {
        thrown.launchError = error.description();
    }
    co_return thrown;
}

class AdminScriptRunnerTest : public test::AppCoreTest {
protected:
    void TearDown() override
    {
        ::unsetenv("BRISVANE_SYSTEM_ROOT");
        ::unsetenv(AppBundle::kPrefixVariable);
        AppCoreTest::TearDown();
    }
};

TEST_F(AdminScriptRunnerTest, TheScriptBecomesOneAppleScriptStringLiteral)
{
    struct Row {
        QString script, literal;
    };
    const Row rows[] = {
        {"echo hi", "echo hi"},
        {R"(echo "a")", R"(echo \"a\")"},
        {R"(printf 'a\nb')", R"(printf 'a\\nb')"},
        {R"(x="\"")", R"(x=\"\\\"\")"}, // backslashes first, then quotes
        {"one\ntwo", "one\ntwo"},       // line feeds stay
    };
    for (const Row& row : rows)
        EXPECT_EQ(AdminScriptRunner::appleScriptEscaped(row.script), row.literal)
            << row.script.toStdString();
    EXPECT_EQ(AdminScriptRunner::appleScriptSource(R"(echo "hi")"),
              R"(do shell script "echo \"hi\"" with administrator privileges)");
}

TEST_F(AdminScriptRunnerTest, RunsOsascriptFromTheSystemRoot)
{
    ::setenv("BRISVANE_SYSTEM_ROOT", "/tmp/some root", 1);
    ScriptedProcess runner;
    const Thrown thrown = QCoro::waitFor(catching(runner.runWithAdminPrivileges("true")));
    EXPECT_FALSE(thrown.installError);
    EXPECT_FALSE(thrown.launchError);
    EXPECT_EQ(runner.lastProgram, "/tmp/some root/usr/bin/osascript");
    EXPECT_EQ(runner.lastArguments,
              (QStringList{"-e", "do shell script \"true\" with administrator privileges"}));
    ::unsetenv("BRISVANE_SYSTEM_ROOT");
    EXPECT_EQ(AdminScriptRunner::osascriptPath(), "/usr/bin/osascript");
}

TEST_F(AdminScriptRunnerTest, EveryOtherEndingIsAFailureWithTheToolsOwnWords)
{
    using Result = AdminScriptRunner::ProcessResult;
    struct Row {
        Result result;
        QString message;
    };
    const Row rows[] = {
        {{true, 1, "\n  execution error: User canceled. (-128)\r\n "},
         "execution error: User canceled. (-128)"},
        {{true, 2, ""}, ""},
        {{true, 1, QByteArray("bad \xff\xfe bytes")}, "unknown error"},
        {{false, 0, "killed"}, "killed"}, // a signal is not a success, whatever the code
    };
    for (const Row& row : rows) {
        ScriptedProcess runner;
        runner.outcome = row.result;
        const Thrown thrown = QCoro::waitFor(catching(runner.runWithAdminPrivileges("x")));
        ASSERT_TRUE(thrown.installError) << row.message.toStdString();
        EXPECT_EQ(thrown.installError->kind(), HelperInstallError::Kind::adminScriptFailed);
        EXPECT_EQ(thrown.installError->message(), row.message);
        EXPECT_EQ(thrown.installError->description(),
                  "The administrator script failed: " + row.message);
    }
}

TEST_F(AdminScriptRunnerTest, AToolThatCannotStartIsALaunchError)
{
    AdminScriptRunner real; // the QProcess seam itself, at a root without osascript
    ::setenv("BRISVANE_SYSTEM_ROOT", qPrintable(makeDirectory("empty root")), 1);
    const Thrown thrown = QCoro::waitFor(catching(real.runWithAdminPrivileges("true")));
    EXPECT_FALSE(thrown.installError);
    ASSERT_TRUE(thrown.launchError);
    EXPECT_FALSE(thrown.launchError->isEmpty());
}

TEST_F(AdminScriptRunnerTest, InstallNeedsBothBundleResourcesBeforeRunningAnything)
{
    ::setenv("BRISVANE_SYSTEM_ROOT", qPrintable(makeDirectory("root")), 1);
    const QString prefix = makeDirectory("bundle");
    ::setenv(AppBundle::kPrefixVariable, qPrintable(prefix), 1);
    struct Row {
        bool executable, plist;
    };
    for (const Row row : {Row{false, false}, Row{true, false}, Row{false, true}}) {
        QFile::remove(prefix + "/libexec/brisvane/BrisvaneHelper");
        QFile::remove(prefix + "/share/brisvane/org.brisvane.Brisvane.helper.plist");
        if (row.executable)
            test::writeFile(prefix + "/libexec/brisvane/BrisvaneHelper", "#!/bin/sh\n");
        if (row.plist)
            test::writeFile(prefix + "/share/brisvane/org.brisvane.Brisvane.helper.plist",
                            "<plist/>");
        auto runner = std::make_unique<ScriptedProcess>();
        ScriptedProcess& seen = *runner;
        HelperClient client(std::move(runner));
        const Thrown thrown = QCoro::waitFor(catching(client.install()));
        ASSERT_TRUE(thrown.installError);
        EXPECT_EQ(thrown.installError->kind(), HelperInstallError::Kind::resourcesMissing);
        EXPECT_EQ(thrown.installError->description(),
                  "The helper files are missing from the app. Reinstall Brisvane and try again.");
        EXPECT_EQ(seen.runs, 0);
        EXPECT_EQ(client.state(), HelperState::notInstalled);
    }
}

TEST_F(AdminScriptRunnerTest, InstallPassesFailuresOnAndChangesNothing)
{
    ::setenv("BRISVANE_SYSTEM_ROOT", qPrintable(makeDirectory("root")), 1);
    const QString prefix = makeDirectory("bundle");
    ::setenv(AppBundle::kPrefixVariable, qPrintable(prefix), 1);
    test::writeFile(prefix + "/libexec/brisvane/BrisvaneHelper", "#!/bin/sh\n");
    test::writeFile(prefix + "/share/brisvane/org.brisvane.Brisvane.helper.plist", "<plist/>");

    for (bool launchFails : {true, false}) {
        auto runner = std::make_unique<ScriptedProcess>();
        if (launchFails)
            runner->outcome = AdminScriptRunner::LaunchError("No such file or directory");
        else
            runner->outcome = AdminScriptRunner::ProcessResult{true, 1, "script failed"};
        ScriptedProcess& seen = *runner;
        HelperClient client(std::move(runner));
        const Thrown thrown = QCoro::waitFor(catching(client.install()));
        EXPECT_EQ(seen.runs, 1);
        EXPECT_EQ(thrown.launchError.has_value(), launchFails);
        EXPECT_EQ(thrown.installError.has_value(), !launchFails);
        EXPECT_EQ(client.state(), HelperState::notInstalled);
        EXPECT_EQ(client.connectionAttempts(), 0);
        // The script that would have run copies the shipped files from the bundle.
        EXPECT_TRUE(
            seen.lastArguments.value(1).contains(prefix + "/libexec/brisvane/BrisvaneHelper"));
    }
}

// A script that ends well proves nothing by itself: installed means the files are in place and
// the daemon answers.
TEST_F(AdminScriptRunnerTest, InstallSucceedsOnlyWithTheFilesInPlaceAndAnAnswer)
{
    const QString root = makeDirectory("root");
    ::setenv("BRISVANE_SYSTEM_ROOT", qPrintable(root), 1);
    const QString prefix = makeDirectory("bundle");
    ::setenv(AppBundle::kPrefixVariable, qPrintable(prefix), 1);
    test::writeFile(prefix + "/libexec/brisvane/BrisvaneHelper", "#!/bin/sh\n");
    test::writeFile(prefix + "/share/brisvane/org.brisvane.Brisvane.helper.plist", "<plist/>");
    struct Row {
        bool filesPlaced;
        HelperInstallError::Kind error;
        HelperState state;
    };
    for (const Row row :
         {Row{false, HelperInstallError::Kind::filesNotInPlace, HelperState::notInstalled},
          Row{true, HelperInstallError::Kind::helperNotAnswering, HelperState::unreachable}}) {
        if (row.filesPlaced) {
            // What the script would have copied; no daemon is started to answer.
            test::writeFile(root + "/Library/PrivilegedHelperTools/org.brisvane.Brisvane.helper",
                            "#!/bin/sh\n");
            test::writeFile(root + "/Library/LaunchDaemons/org.brisvane.Brisvane.helper.plist",
                            "<plist/>");
        }
        auto runner = std::make_unique<ScriptedProcess>();
        runner->outcome = AdminScriptRunner::ProcessResult{true, 0, ""};
        HelperClient client(std::move(runner));
        const Thrown thrown = QCoro::waitFor(catching(client.install()));
        ASSERT_TRUE(thrown.installError);
        EXPECT_EQ(thrown.installError->kind(), row.error);
        EXPECT_EQ(client.state(), row.state);
    }
}

TEST_F(AdminScriptRunnerTest, UninstallSwallowsEveryFailure)
{
    ::setenv("BRISVANE_SYSTEM_ROOT", qPrintable(makeDirectory("root")), 1);
    for (int failure = 0; failure < 2; ++failure) {
        auto runner = std::make_unique<ScriptedProcess>();
        if (failure == 0)
            runner->outcome = AdminScriptRunner::LaunchError("cannot start");
        else
            runner->outcome =
                AdminScriptRunner::ProcessResult{true, 1, "execution error: User canceled. (-128)"};
        ScriptedProcess& seen = *runner;
        HelperClient client(std::move(runner));
        const Thrown thrown = QCoro::waitFor(catching(client.uninstall()));
        EXPECT_FALSE(thrown.installError);
        EXPECT_FALSE(thrown.launchError);
        EXPECT_EQ(seen.runs, 1);
        EXPECT_EQ(client.state(), HelperState::notInstalled);
        EXPECT_EQ(client.connectionAttempts(), 0); // not installed: no uninstall call
    }
}

} // namespace
} // namespace brisvane
