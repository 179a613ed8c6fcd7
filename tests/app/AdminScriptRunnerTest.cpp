// The administrator script: the AppleScript it becomes, the osascript it runs, and how each way
// a run can end reaches the caller — through a process seam that fails as the world does, and
// through the helper client's install and uninstall.

#include "tests/app/AppTestSupport.h"

#include "app/core/AdminScriptRunner.h"
#include "app/core/AppBundle.h"
#include "app/core/HelperClient.h"

#include <QCoroTask>
#include <QFile>

#include <gtest/gtest.h>

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
    void SetUp() override
    {
        AppCoreTest::SetUp();
        m_root = makeDirectory("root");
        m_prefix = makeDirectory("bundle");
        setEnv("BRISVANE_SYSTEM_ROOT", m_root);
        setEnv(AppBundle::kPrefixVariable, m_prefix);
    }
    // The helper files shipped in the bundle, or (installed) as the script would have placed them.
    void placeFiles(const QString& base, bool executable, bool plist, bool installed = false)
    {
        const QString tool = installed
                                 ? "/Library/PrivilegedHelperTools/org.brisvane.Brisvane.helper"
                                 : "/libexec/brisvane/BrisvaneHelper";
        const QString list = installed ? "/Library/LaunchDaemons/org.brisvane.Brisvane.helper.plist"
                                       : "/share/brisvane/org.brisvane.Brisvane.helper.plist";
        QFile::remove(base + tool);
        QFile::remove(base + list);
        if (executable)
            test::writeFile(base + tool, "#!/bin/sh\n");
        if (plist)
            test::writeFile(base + list, "<plist/>");
    }

    QString m_root, m_prefix;
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
}

TEST_F(AdminScriptRunnerTest, RunsOsascriptFromTheSystemRoot)
{
    ScriptedProcess runner;
    const Thrown thrown = QCoro::waitFor(catching(runner.runWithAdminPrivileges(R"(echo "hi")")));
    EXPECT_FALSE(thrown.installError || thrown.launchError);
    EXPECT_EQ(runner.lastProgram, m_root + "/usr/bin/osascript");
    EXPECT_EQ(
        runner.lastArguments,
        (QStringList{"-e", R"(do shell script "echo \"hi\"" with administrator privileges)"}));
    setEnv("BRISVANE_SYSTEM_ROOT", std::nullopt);
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
        EXPECT_EQ(thrown.installError->description(),
                  "The administrator script failed: " + row.message);
    }
}

TEST_F(AdminScriptRunnerTest, AToolThatCannotStartIsALaunchError)
{
    AdminScriptRunner real; // the QProcess seam itself, at a root without osascript
    const Thrown thrown = QCoro::waitFor(catching(real.runWithAdminPrivileges("true")));
    EXPECT_FALSE(thrown.installError);
    ASSERT_TRUE(thrown.launchError);
    EXPECT_FALSE(thrown.launchError->isEmpty());
}

// Installed means the bundle's files were there, the script ran and succeeded, the files are in
// place and the daemon answers; anything less is an error that says which.
TEST_F(AdminScriptRunnerTest, InstallFailsAtTheFirstMissingStepAndChangesNothing)
{
    using Kind = HelperInstallError::Kind;
    struct Row {
        const char* name;
        bool executable, plist;
        std::variant<AdminScriptRunner::ProcessResult, AdminScriptRunner::LaunchError> outcome;
        bool filesPlaced;
        std::optional<Kind> error; // nullopt: a launch error
        int runs;
        HelperState state;
    };
    const AdminScriptRunner::ProcessResult ok{true, 0, ""};
    const Row rows[] = {
        {"no files", false, false, ok, false, Kind::resourcesMissing, 0, HelperState::notInstalled},
        {"no plist", true, false, ok, false, Kind::resourcesMissing, 0, HelperState::notInstalled},
        {"no executable", false, true, ok, false, Kind::resourcesMissing, 0,
         HelperState::notInstalled},
        {"no osascript", true, true, AdminScriptRunner::LaunchError("No such file or directory"),
         false, std::nullopt, 1, HelperState::notInstalled},
        {"script failed", true, true, AdminScriptRunner::ProcessResult{true, 1, "script failed"},
         false, Kind::adminScriptFailed, 1, HelperState::notInstalled},
        {"files not placed", true, true, ok, false, Kind::filesNotInPlace, 1,
         HelperState::notInstalled},
        {"no answer", true, true, ok, true, Kind::helperNotAnswering, 1, HelperState::unreachable},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        placeFiles(m_prefix, row.executable, row.plist);
        placeFiles(m_root, row.filesPlaced, row.filesPlaced, true); // no daemon runs to answer
        auto runner = std::make_unique<ScriptedProcess>();
        runner->outcome = row.outcome;
        ScriptedProcess& seen = *runner;
        HelperClient client(std::move(runner));
        const Thrown thrown = QCoro::waitFor(catching(client.install()));
        EXPECT_EQ(thrown.launchError.has_value(), !row.error);
        EXPECT_EQ(thrown.installError ? std::optional(thrown.installError->kind()) : std::nullopt,
                  row.error);
        EXPECT_EQ(seen.runs, row.runs);
        EXPECT_EQ(client.state(), row.state);
        if (row.state == HelperState::notInstalled) {
            EXPECT_EQ(client.connectionAttempts(), 0);
        }
        if (row.runs) { // the script copies the shipped files from the bundle
            EXPECT_TRUE(seen.lastArguments.value(1).contains(m_prefix +
                                                             "/libexec/brisvane/BrisvaneHelper"));
        }
        if (row.error == Kind::resourcesMissing) {
            EXPECT_EQ(
                thrown.installError->description(),
                "The helper files are missing from the app. Reinstall Brisvane and try again.");
        }
    }
}

TEST_F(AdminScriptRunnerTest, UninstallSwallowsEveryFailure)
{
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
        EXPECT_FALSE(thrown.installError || thrown.launchError);
        EXPECT_EQ(seen.runs, 1);
        EXPECT_EQ(client.state(), HelperState::notInstalled);
        EXPECT_EQ(client.connectionAttempts(), 0); // not installed: no uninstall call
    }
}

} // namespace
} // namespace brisvane
