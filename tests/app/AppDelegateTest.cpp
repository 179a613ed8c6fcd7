// Quitting (the release and the daemon's shutdown first, unless the main window was never
// shown), reopening, and one copy per user over the instance socket — two delegates in one
// process stand for two copies of the app.

#include "tests/app/AppTestSupport.h"
#include "tests/app/RecordingHelper.h"
#include "tests/support/EventLoop.h"

#include "app/core/AppDelegate.h"
#include "app/core/AppState.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalSocket>

#include <gtest/gtest.h>

namespace brisvane {
namespace {

using test::processEventsUntil;
using test::RecordingHelper;

class AppDelegateTest : public test::AppCoreTest {
protected:
    void SetUp() override
    {
        AppCoreTest::SetUp();
        m_defaults = makeDefaults();
        auto helper = std::make_unique<RecordingHelper>();
        m_helper = helper.get();
        auto telemetry = std::make_unique<TelemetryStore>(*m_defaults);
        auto presets = std::make_unique<PresetStore>(2, makeDirectory("presets"), *m_defaults);
        auto engine = std::make_unique<ControlEngine>(*telemetry, *presets, *helper);
        m_state = std::make_unique<AppState>(std::move(telemetry), std::move(helper),
                                             std::move(presets), std::move(engine));
    }

    // A delegate whose process end is counted; `instance` names its instance socket.
    std::unique_ptr<AppDelegate> makeDelegate(int& terminated,
                                              const QString& instance = QStringLiteral("a"))
    {
        return std::make_unique<AppDelegate>([&terminated] { ++terminated; },
                                             root() + QStringLiteral("/") + instance);
    }

    std::unique_ptr<UserDefaults> m_defaults;
    RecordingHelper* m_helper = nullptr;
    std::unique_ptr<AppState> m_state;
};

TEST_F(AppDelegateTest, QuittingBeforeTheWindowWasShownReleasesNothing)
{
    int terminated = 0;
    const auto delegate = makeDelegate(terminated);
    EXPECT_EQ(delegate->applicationShouldTerminate(), AppDelegate::TerminateReply::terminateNow);
    delegate->terminate();
    EXPECT_EQ(terminated, 1);
    processEventsUntil([] { return false; }, std::chrono::milliseconds(50));
    EXPECT_TRUE(m_helper->calls.isEmpty()) << m_helper->calls.join(", ").toStdString();
}

TEST_F(AppDelegateTest, QuittingReleasesThenShutsTheDaemonDownThenEnds)
{
    int terminated = 0;
    const auto delegate = makeDelegate(terminated);
    delegate->setAppState(m_state.get());
    m_helper->hold = true;

    delegate->terminate();
    ASSERT_TRUE(processEventsUntil([&] { return m_helper->count("releaseControl") == 1; }));
    delegate->terminate(); // a second request while quitting changes nothing
    EXPECT_EQ(m_helper->calls, QStringList{"releaseControl"});
    EXPECT_EQ(terminated, 0) << "ended before the fans were handed back";

    m_helper->release();
    ASSERT_TRUE(processEventsUntil([&] { return m_helper->count("shutDownDaemon") == 1; }));
    EXPECT_EQ(m_helper->calls, (QStringList{"releaseControl", "shutDownDaemon"}));
    EXPECT_EQ(terminated, 0) << "ended before the daemon answered";

    m_helper->release();
    ASSERT_TRUE(processEventsUntil([&] { return terminated == 1; }));
    EXPECT_EQ(m_helper->calls.size(), 2);
}

TEST_F(AppDelegateTest, ASecondInterruptEndsAtOnce)
{
    int terminated = 0;
    const auto delegate = makeDelegate(terminated);
    delegate->setAppState(m_state.get());
    m_helper->hold = true;
    delegate->terminate();
    ASSERT_TRUE(processEventsUntil([&] { return m_helper->count("releaseControl") == 1; }));
    delegate->terminateImmediately();
    EXPECT_EQ(terminated, 1);
    m_helper->release(); // the sequence finishing later does not end the process twice
    processEventsUntil([&] { return m_helper->count("shutDownDaemon") == 1; });
    m_helper->release();
    processEventsUntil([] { return false; }, std::chrono::milliseconds(50));
    EXPECT_EQ(terminated, 1);
}

TEST_F(AppDelegateTest, ReopenOpensTheMainWindowOnlyWhenNoneIsVisible)
{
    int terminated = 0;
    const auto delegate = makeDelegate(terminated);
    int opened = 0;
    m_state->setOpenMainWindow([&] { ++opened; });

    EXPECT_TRUE(delegate->applicationShouldHandleReopen(false));
    EXPECT_EQ(opened, 0) << "the delegate has no state before the window was shown";

    delegate->setAppState(m_state.get());
    EXPECT_TRUE(delegate->applicationShouldHandleReopen(true));
    EXPECT_EQ(opened, 0);
    EXPECT_TRUE(delegate->applicationShouldHandleReopen(false));
    EXPECT_EQ(opened, 1);

    m_state->setOpenMainWindow(std::nullopt);
    EXPECT_TRUE(delegate->applicationShouldHandleReopen(false));
    EXPECT_EQ(opened, 1);
}

// The older copy runs its whole quit sequence before it ends.
TEST_F(AppDelegateTest, EachNewCopyMakesTheRunningOneQuitAndTakesTheName)
{
    int firstEnded = 0, secondEnded = 0, thirdEnded = 0;
    const auto first = makeDelegate(firstEnded);
    first->setAppState(m_state.get());
    first->applicationDidFinishLaunching();
    ASSERT_TRUE(first->instance().isListening());

    const auto second = makeDelegate(secondEnded);
    second->applicationDidFinishLaunching();
    ASSERT_TRUE(processEventsUntil([&] { return second->instance().isListening(); }));
    ASSERT_TRUE(processEventsUntil([&] { return firstEnded == 1; }));
    EXPECT_EQ(m_helper->calls, (QStringList{"releaseControl", "shutDownDaemon"}));
    EXPECT_FALSE(first->instance().isListening());

    const auto third = makeDelegate(thirdEnded);
    third->applicationDidFinishLaunching();
    ASSERT_TRUE(processEventsUntil([&] { return third->instance().isListening(); }));
    EXPECT_EQ(secondEnded + firstEnded, 2);
    EXPECT_EQ(thirdEnded, 0);
}

TEST_F(AppDelegateTest, AStaleNameFromAKilledCopyIsTakenOver)
{
    ASSERT_TRUE(test::leaveStaleSocket((root() + QStringLiteral("/a")).toStdString()));

    int terminated = 0;
    const auto delegate = makeDelegate(terminated);
    delegate->applicationDidFinishLaunching();
    EXPECT_TRUE(delegate->instance().isListening());
    EXPECT_FALSE(delegate->instance().isReplacingOlderInstance());
}

TEST_F(AppDelegateTest, OnlyTheQuitRequestMakesACopyQuit)
{
    int terminated = 0;
    const auto delegate = makeDelegate(terminated);
    delegate->applicationDidFinishLaunching();

    QLocalSocket chatter;
    chatter.connectToServer(delegate->instance().serverName());
    ASSERT_TRUE(chatter.waitForConnected(1000));
    chatter.write("hello\nquit now\nQUIT\n");
    QLocalSocket flood;
    flood.connectToServer(delegate->instance().serverName());
    ASSERT_TRUE(flood.waitForConnected(1000));
    flood.write(QByteArray(4096, 'q'));
    ASSERT_TRUE(processEventsUntil([&] { return flood.state() == QLocalSocket::UnconnectedState; }))
        << "a request without an end is not read for ever";
    EXPECT_EQ(terminated, 0);
    EXPECT_TRUE(delegate->instance().isListening());

    chatter.write(SingleInstance::kQuitRequest);
    ASSERT_TRUE(processEventsUntil([&] { return terminated == 1; }));
    ASSERT_TRUE(processEventsUntil([&] { return chatter.canReadLine(); }));
    EXPECT_EQ(chatter.readLine(), QByteArray(SingleInstance::kQuitAccepted));
    EXPECT_FALSE(delegate->instance().isListening()) << "the name is free for the newer copy";
}

// A command line is answered with one line and may be long (a preset file rides in it); a line
// that opens like one but is no JSON object gets a refusal; none of it makes the copy quit.
TEST_F(AppDelegateTest, CommandsAreAnsweredLineByLineAndNeverMakeTheCopyQuit)
{
    int terminated = 0;
    const auto delegate = makeDelegate(terminated);
    delegate->applicationDidFinishLaunching();
    delegate->instance().setCommandHandler([](const QJsonObject& request) {
        return QJsonObject{{"ok", true}, {"size", request.value("data").toString().size()}};
    });

    QLocalSocket client;
    client.connectToServer(delegate->instance().serverName());
    ASSERT_TRUE(client.waitForConnected(1000));
    const QByteArray big =
        QJsonDocument(QJsonObject{{"data", QString(100000, u'x')}}).toJson(QJsonDocument::Compact);
    client.write(big + "\n{not json\n{} and more\n{\"data\":\"ab\"}\n");
    QList<QJsonObject> replies;
    ASSERT_TRUE(processEventsUntil([&] {
        while (client.canReadLine())
            replies.append(QJsonDocument::fromJson(client.readLine()).object());
        return replies.size() == 4;
    })) << replies.size();
    EXPECT_EQ(replies[0].value("size").toInt(), 100000);
    for (const QJsonObject& refusal : {replies[1], replies[2]}) {
        EXPECT_FALSE(refusal.value("ok").toBool(true));
        EXPECT_EQ(refusal.value("version").toInt(), 1);
        EXPECT_EQ(refusal.value("error").toString(), "The request is no JSON object");
    }
    EXPECT_EQ(replies[3].value("size").toInt(), 2);
    EXPECT_EQ(terminated, 0);
    EXPECT_TRUE(delegate->instance().isListening());
    EXPECT_EQ(client.state(), QLocalSocket::ConnectedState);
}

} // namespace
} // namespace brisvane
