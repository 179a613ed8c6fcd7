// The helper client without a daemon: the install state from the two files, calls that are never
// made while not installed, a daemon that is not listening, the administrator scripts as /bin/sh
// reads them, and the outdated-version check.

#include "tests/app/AppTestSupport.h"
#include "tests/support/EventLoop.h"

#include "app/core/HelperClient.h"
#include "app/core/PreviewHelperClient.h"

#include <QCoroTask>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace brisvane {
namespace {

const QString kHelperClientCategory = QStringLiteral("org.brisvane.Brisvane.helper-client");

class HelperClientTest : public test::AppCoreTest {
protected:
    void SetUp() override
    {
        AppCoreTest::SetUp();
        setEnv("BRISVANE_SYSTEM_ROOT", makeDirectory("system root"));
    }

    QString plistPath() const
    {
        return QString::fromStdString(HelperConstants::daemonPlistSystemPath());
    }
    QString helperPath() const
    {
        return QString::fromStdString(HelperConstants::helperInstallSystemPath());
    }
    void placeFiles(bool plist, bool helper)
    {
        QFile::remove(plistPath());
        QFile::remove(helperPath());
        if (plist)
            test::writeFile(plistPath(), "<plist/>");
        if (helper)
            test::writeFile(helperPath(), "#!/bin/sh\n");
    }
};

TEST_F(HelperClientTest, WithoutBothFilesNothingIsEverSent)
{
    struct Row {
        bool plist, helper;
    };
    for (const Row row : {Row{false, false}, Row{true, false}, Row{false, true}}) {
        placeFiles(row.plist, row.helper);
        HelperClient client;
        client.refreshInstallState();
        EXPECT_EQ(client.state(), HelperState::notInstalled);

        EXPECT_FALSE(QCoro::waitFor(client.setTargets({3000, 3000})));
        EXPECT_FALSE(QCoro::waitFor(client.fetchStatus()));
        QCoro::waitFor(client.releaseControl());
        QCoro::waitFor(client.shutDownDaemon());
        EXPECT_EQ(client.connectionAttempts(), 0) << row.plist << row.helper;
        EXPECT_FALSE(client.lastStatus());
    }
}

TEST_F(HelperClientTest, BothFilesMakeItInstalledAndAMissingOneTakesThatBack)
{
    HelperClient client;
    QSignalSpy changed(&client, &HelperControlling::stateChanged);
    client.refreshInstallState();
    EXPECT_EQ(changed.count(), 0); // notInstalled stays notInstalled

    placeFiles(true, true);
    client.refreshInstallState();
    EXPECT_EQ(client.state(), HelperState::installed);
    client.refreshInstallState();
    EXPECT_EQ(changed.count(), 1);

    placeFiles(true, false);
    client.refreshInstallState();
    EXPECT_EQ(client.state(), HelperState::notInstalled);
    EXPECT_EQ(changed.count(), 2);
}

TEST_F(HelperClientTest, ADaemonThatIsNotListeningMakesTheFirstCallFailAtItsLimit)
{
    placeFiles(true, true);
    HelperClient client;
    client.refreshInstallState();
    test::LogCapture log;

    EXPECT_FALSE(QCoro::waitFor(client.fetchStatus()));
    EXPECT_EQ(client.state(), HelperState::unreachable);
    EXPECT_FALSE(client.lastStatus());
    const auto lines = log.inCategory(kHelperClientCategory);
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].message.startsWith("XPC error: ")) << lines[0].message.toStdString();
    EXPECT_EQ(lines[0].type, QtCriticalMsg);
    // The socket was tried again while the call waited, as launchd would hold the message.
    EXPECT_GT(client.connectionAttempts(), 1);

    // Files still present: unreachable is not left by looking at them.
    client.refreshInstallState();
    EXPECT_EQ(client.state(), HelperState::unreachable);
    EXPECT_TRUE(client.isInstalled());
    // Gone: not installed, and the connection is forgotten.
    placeFiles(false, true);
    client.refreshInstallState();
    EXPECT_EQ(client.state(), HelperState::notInstalled);
    EXPECT_FALSE(client.hasConnection());
}

// Runs `script` with /bin/sh, every command it uses replaced by one that prints its name and
// then each argument on a line of its own.
QStringList wordsAsTheShellSeesThem(const QString& script)
{
    QString recorder;
    for (const char* command : {"mkdir", "launchctl", "cp", "chown", "chmod", "rm"})
        recorder += QStringLiteral("%1() { printf '%s\\n' '>%1' \"$@\"; }\n").arg(command);
    QProcess shell;
    shell.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), recorder + script});
    EXPECT_TRUE(shell.waitForFinished(10000));
    EXPECT_EQ(shell.exitCode(), 0) << shell.readAllStandardError().toStdString();
    return QString::fromUtf8(shell.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
}

TEST_F(HelperClientTest, EveryPathReachesTheShellAsOneWord)
{
    const QString awkward = makeDirectory(QStringLiteral("it's a \"root\" with $HOME and \\ `x`"));
    setEnv("BRISVANE_SYSTEM_ROOT", awkward);
    const QString bundle = makeDirectory(QStringLiteral("Bris'vane's bundle"));
    const QString executable = bundle + "/BrisvaneHelper";
    const QString plist = bundle + "/org.brisvane.Brisvane.helper.plist";
    const QString tools = awkward + "/Library/PrivilegedHelperTools";
    const QString helper = tools + "/org.brisvane.Brisvane.helper";
    const QString daemons = awkward + "/Library/LaunchDaemons/org.brisvane.Brisvane.helper.plist";
    const QString record = helper + ".installer";
    // The uid goes by redirection, not by a recorded command: it lands in the real file.
    QDir().mkpath(tools);

    EXPECT_EQ(wordsAsTheShellSeesThem(HelperInstaller::installScript(executable, plist, 501)),
              (QStringList{">mkdir",     "-p",         tools,
                           ">launchctl", "bootout",    "system/org.brisvane.Brisvane.helper",
                           ">cp",        executable,   helper,
                           ">chown",     "root:wheel", helper,
                           ">chmod",     "755",        helper,
                           ">chown",     "root:wheel", record,
                           ">chmod",     "644",        record,
                           ">cp",        plist,        daemons,
                           ">chown",     "root:wheel", daemons,
                           ">chmod",     "644",        daemons,
                           ">launchctl", "bootstrap",  "system",
                           daemons}));
    EXPECT_EQ(wordsAsTheShellSeesThem(HelperInstaller::uninstallScript()),
              (QStringList{">launchctl", "bootout", "system/org.brisvane.Brisvane.helper", ">rm",
                           "-f", daemons, helper, record}));
    QFile written(record);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), "501\n");
}

TEST_F(HelperClientTest, AStatusOfAnotherVersionIsOutdated)
{
    struct Row {
        std::optional<std::string> version;
        bool outdated;
    };
    const Row rows[] = {
        {std::nullopt, false}, {"1.0.2", false}, {"1.0.1", true}, {"1.0.2 ", true}, {"", true}};
    for (const Row& row : rows) {
        std::optional<HelperStatus> status;
        if (row.version)
            status = HelperStatus{*row.version, HelperControlPhase::idle, {}, {}, 40, {}};
        PreviewHelperClient preview(HelperState::installed, status);
        EXPECT_EQ(preview.isHelperOutdated(), row.outdated) << row.version.value_or("(none)");
    }
}

} // namespace
} // namespace brisvane
