// The listener in this process over a controller stand-in whose replies the test hands out: what
// a slow controller means for a client that pipelines calls, and for everyone else; who makes
// room at the connection cap; who may end the daemon.
#include "tests/e2e/HelperWireClient.h"
#include "tests/e2e/OtherUser.h"
#include "tests/virtual-mac/VsmcTestSupport.h"

#include "helper/HelperListener.h"
#include "helper/HelperLog.h"
#include "helper/InstallerRecord.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <asio/executor_work_guard.hpp>

#include <deque>
#include <mutex>
#include <numeric>
#include <thread>

namespace brisvane::test {
namespace {

using namespace std::chrono_literals;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

// Holds every reply until the test releases it, as a busy control thread would.
class HeldService final : public BrisvaneHelperProtocol {
public:
    void setTargets(std::vector<double> targets,
                    std::function<void(std::vector<double>)> reply) override
    {
        hold([reply = std::move(reply), targets = std::move(targets)] { reply(targets); });
    }
    void releaseControl(std::function<void()> reply) override { hold(std::move(reply)); }
    void status(std::function<void(std::vector<std::uint8_t>)> reply) override
    {
        hold([reply = std::move(reply)] { reply({'{', '}'}); });
    }
    void uninstall(std::function<void(bool)> reply) override
    {
        hold([reply = std::move(reply)] { reply(true); });
    }
    void shutDown(std::function<void()> reply) override { hold(std::move(reply)); }

    std::size_t held() const
    {
        std::lock_guard lock(m_mutex);
        return m_replies.size();
    }
    // Replies to the oldest calls, from the test's thread.
    void release(std::size_t count = SIZE_MAX)
    {
        std::deque<std::function<void()>> ready;
        {
            std::lock_guard lock(m_mutex);
            while (count-- > 0 && !m_replies.empty()) {
                ready.push_back(std::move(m_replies.front()));
                m_replies.pop_front();
            }
        }
        for (auto& reply : ready)
            reply();
    }

private:
    void hold(std::function<void()> reply)
    {
        std::lock_guard lock(m_mutex);
        m_replies.push_back(std::move(reply));
    }

    mutable std::mutex m_mutex;
    std::deque<std::function<void()>> m_replies;
};

class HelperListenerTest : public ::testing::Test {
protected:
    void start(HelperListener::Limits limits)
    {
        m_listener.emplace(m_io, m_service, m_log, (m_root.path() / "helper.socket").string(),
                           limits);
        m_listener->start();
        m_thread = std::thread([this] { m_io.run(); });
    }
    void TearDown() override
    {
        m_service.release();
        m_io.stop();
        if (m_thread.joinable())
            m_thread.join();
        m_listener.reset();
    }
    HelperWireClient connect() { return HelperWireClient(m_listener->socketPath()); }
    // What is reported about clients, without the debug detail.
    std::vector<std::string> errors() const
    {
        std::vector<std::string> messages;
        for (const auto& line : m_capture.lines())
            if (line.level == HelperLogLevel::error)
                messages.push_back(line.message);
        return messages;
    }

    TemporaryRoot m_root;
    HelperLog m_log{"test", "control"};
    HelperLogCapture m_capture{m_log};
    HeldService m_service;
    asio::io_context m_io;
    asio::executor_work_guard<asio::io_context::executor_type> m_work{m_io.get_executor()};
    std::optional<HelperListener> m_listener;
    std::thread m_thread;
};

TEST_F(HelperListenerTest, APipeliningClientHasOnlyItsShareOfTheControllerAndRepliesStayInOrder)
{
    HelperListener::Limits limits;
    limits.maxCallsInFlight = 4;
    start(limits);
    HelperWireClient pipeliner = connect();
    std::vector<std::uint8_t> calls;
    for (std::uint32_t id = 1; id <= 50; ++id) {
        const auto call = encodeStatusCall(id);
        calls.insert(calls.end(), call.begin(), call.end());
    }
    pipeliner.send(calls);
    ASSERT_TRUE(eventually([&] { return m_service.held() == 4; }));

    // Another client's call reaches the controller while the first one waits for its turn.
    HelperWireClient other = connect();
    other.send(encodeReleaseControlCall(77));
    ASSERT_TRUE(eventually([&] { return m_service.held() == 5; }));

    std::vector<std::uint32_t> ids;
    ASSERT_TRUE(eventually([&] {
        EXPECT_LE(m_service.held(), 5u);
        m_service.release();
        try {
            for (;;)
                ids.push_back(pipeliner.readReply(20ms).id);
        } catch (const HelperWireClient::Error&) {
        }
        return ids.size() >= 50;
    }));
    std::vector<std::uint32_t> expected(50);
    std::iota(expected.begin(), expected.end(), 1u);
    EXPECT_EQ(ids, expected);
    const HelperMessage otherReply = other.readReply();
    EXPECT_EQ(otherReply.id, 77u);
    EXPECT_TRUE(errors().empty());
}

TEST_F(HelperListenerTest, AFrameHasItsTimeFromItsFirstByteAndWaitingForTheControllerIsNotCounted)
{
    HelperListener::Limits limits;
    limits.frameTimeout = 300ms;
    limits.maxCallsInFlight = 1;
    start(limits);

    // One call held by the controller, then half of the next: the half waits unread, and that
    // time is not the client's.
    HelperWireClient client = connect();
    const auto second = encodeStatusCall(2);
    std::vector<std::uint8_t> bytes = encodeStatusCall(1);
    bytes.insert(bytes.end(), second.begin(), second.begin() + 5);
    client.send(bytes);
    ASSERT_TRUE(eventually([&] { return m_service.held() == 1; }));
    EXPECT_FALSE(client.closedByPeer(600ms));
    m_service.release();
    EXPECT_EQ(client.readReply().id, 1u);

    // Now the half frame is read, and the rest never comes.
    EXPECT_TRUE(client.closedByPeer(3s));
    EXPECT_EQ(errors(), std::vector<std::string>{
                            "closing a client connection: a frame was incomplete after 0.3 s"});
}

TEST_F(HelperListenerTest, AtTheCapANewcomerIsServedAndConnectionsThatNeverCalledMakeRoom)
{
    HelperListener::Limits limits;
    limits.maxConnections = 3;
    start(limits);
    HelperWireClient caller = connect();
    caller.send(encodeStatusCall(1));
    ASSERT_TRUE(eventually([&] { return m_service.held() == 1; }));
    m_service.release();
    ASSERT_EQ(caller.readReply().id, 1u);
    HelperWireClient idle = connect();
    HelperWireClient halfFrame = connect();
    const std::vector<std::uint8_t> call = encodeStatusCall(1);
    halfFrame.send(std::span(call).first(5));

    // The longest idle goes first, then the other one that never sent a whole call; the caller,
    // idle longest of all, keeps its place.
    std::vector<HelperWireClient> newcomers;
    for (HelperWireClient* displaced : {&idle, &halfFrame}) {
        HelperWireClient& newcomer = newcomers.emplace_back(connect());
        newcomer.send(encodeStatusCall(2));
        ASSERT_TRUE(eventually([&] { return m_service.held() == 1; }));
        m_service.release();
        EXPECT_EQ(newcomer.readReply().id, 2u);
        EXPECT_TRUE(displaced->closedByPeer(2s));
        EXPECT_FALSE(caller.closedByPeer(1ms));
    }
    const std::string uid = std::to_string(::getuid());
    EXPECT_EQ(errors(), (std::vector<std::string>{
                            "closing a client connection of uid " + uid +
                                " to make room: 3 clients connected (1 closed so far)",
                            "closing a client connection of uid " + uid +
                                " to make room: 3 clients connected (2 closed so far)"}));
}

TEST_F(HelperListenerTest, AtTheCapTheUserHoldingTheMostPlacesGivesOneUp)
{
    const auto nobody = OtherUser::nobody();
    if (!nobody)
        GTEST_SKIP() << "needs root to act as nobody";
    // The socket's folder must be reachable by nobody, as /var/run is on a Mac.
    std::filesystem::permissions(m_root.path(), std::filesystem::perms(0755));
    HelperListener::Limits limits;
    limits.maxConnections = 4;
    start(limits);
    HelperWireClient mine = connect(); // never calls: the first to go among its user's
    const std::string path = m_listener->socketPath();
    OtherUser crowd(*nobody, [&](int report) {
        std::vector<HelperWireClient> held;
        for (int i = 0; i < 3; ++i)
            held.push_back(HelperWireClient(path));
        OtherUser::report(report, "connected");
        ::pause();
    });
    ASSERT_EQ(crowd.readLine(), "connected");

    HelperWireClient newcomer = connect();
    newcomer.send(encodeStatusCall(1));
    ASSERT_TRUE(eventually([&] { return m_service.held() == 1; }));
    m_service.release();
    EXPECT_EQ(newcomer.readReply().id, 1u);
    EXPECT_FALSE(mine.closedByPeer(200ms));
    EXPECT_THAT(errors(), ElementsAre(HasSubstr("closing a client connection of uid " +
                                                std::to_string(nobody->first))));
}

TEST_F(HelperListenerTest, EndingTheDaemonFollowsThePolicyAndOtherCallsStayOpen)
{
    start(HelperListener::Limits{});
    m_listener->setEndingPolicy([](uid_t) { return false; });
    HelperWireClient client = connect();
    EXPECT_FALSE(client.uninstall());
    client.shutDown();
    EXPECT_EQ(m_service.held(), 0u) << "refused calls never reach the controller";
    client.send(encodeStatusCall(9));
    ASSERT_TRUE(eventually([&] { return m_service.held() == 1; }));
    m_service.release();
    EXPECT_EQ(client.readReply().id, 9u);
    const std::string uid = std::to_string(::getuid());
    for (const char* op : {"uninstall", "shutDown"})
        EXPECT_THAT(errors(), Contains("refusing " + std::string(op) + " from uid " + uid +
                                       ": only root and the user who installed the helper may "
                                       "remove or stop it"));
}

struct RecordCase {
    const char* name;
    std::string content;
    std::filesystem::perms mode;
    std::optional<uid_t> expected;
    bool ownedByNobody = false;
};

TEST(InstallerRecord, OnlyAUidInAFileNoOtherUserCouldWriteCounts)
{
    TemporaryRoot root;
    using std::filesystem::perms;
    const std::vector<RecordCase> rows{
        {"as the installer writes it", "501\n", perms(0644), 501},
        {"without a line feed, owner-only", "0", perms(0600), 0},
        {"empty", "", perms(0644), std::nullopt},
        {"not a number", "50l\n", perms(0644), std::nullopt},
        {"negative", "-2\n", perms(0644), std::nullopt},
        {"two numbers", "501 502\n", perms(0644), std::nullopt},
        {"group-writable", "501\n", perms(0664), std::nullopt},
        {"world-writable", "501\n", perms(0646), std::nullopt},
        {"owned by another user", "501\n", perms(0644), std::nullopt, true},
    };
    const std::string path = (root.path() / "record").string();
    for (const RecordCase& row : rows) {
        SCOPED_TRACE(row.name);
        std::filesystem::remove(path);
        writeFile(path, row.content);
        std::filesystem::permissions(path, row.mode);
        if (row.ownedByNobody) {
            const auto nobody = OtherUser::nobody();
            if (!nobody || ::chown(path.c_str(), nobody->first, nobody->second) != 0)
                continue;
        }
        std::string problem;
        EXPECT_EQ(InstallerRecord::read(path, &problem), row.expected) << problem;
    }
    // A link in the record's place is not followed, and a missing record names no one.
    const std::string good = (root.path() / "good").string();
    writeFile(good, "501\n");
    std::filesystem::remove(path);
    std::filesystem::create_symlink(good, path);
    EXPECT_EQ(InstallerRecord::read(path), std::nullopt);
    EXPECT_EQ(InstallerRecord::read((root.path() / "missing").string()), std::nullopt);

    // Root may always; another user only as the recorded installer.
    std::filesystem::remove(path);
    std::filesystem::copy_file(good, path);
    EXPECT_TRUE(InstallerRecord::mayEndDaemon(0, path));
    EXPECT_TRUE(InstallerRecord::mayEndDaemon(501, path));
    EXPECT_FALSE(InstallerRecord::mayEndDaemon(502, path));
}

} // namespace
} // namespace brisvane::test
