// The listener in this process over a controller stand-in whose replies the test hands out: what
// a slow controller means for a client that pipelines calls, and for everyone else.
#include "HelperWireClient.h"
#include "VsmcTestSupport.h"

#include "helper/HelperListener.h"
#include "helper/HelperLog.h"

#include <gtest/gtest.h>

#include <asio/executor_work_guard.hpp>

#include <deque>
#include <mutex>
#include <numeric>
#include <thread>

namespace brisvane::test {
namespace {

using namespace std::chrono_literals;

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

TEST_F(HelperListenerTest, aPipeliningClientHasOnlyItsShareOfTheControllerAndRepliesStayInOrder)
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

TEST_F(HelperListenerTest, aFrameHasItsTimeFromItsFirstByteAndWaitingForTheControllerIsNotCounted)
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

TEST_F(HelperListenerTest, beyondTheCapAConnectionIsClosedAtOnceAndTheReportIsRateLimited)
{
    HelperListener::Limits limits;
    limits.maxConnections = 3;
    limits.reportsPerInterval = 2;
    start(limits);
    std::vector<HelperWireClient> kept;
    for (int i = 0; i < 3; ++i)
        kept.push_back(connect());
    for (HelperWireClient& client : kept) {
        client.send(encodeShutDownCall(1));
        ASSERT_TRUE(eventually([&] { return m_service.held() > 0; }));
        m_service.release();
        EXPECT_EQ(client.readReply().op, HelperOperation::shutDown);
    }
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(connect().closedByPeer(2s));
    // Two reports; the other three refusals are only counted.
    EXPECT_EQ(errors(), (std::vector<std::string>{
                            "refusing a client: 3 clients already connected (1 refused so far)",
                            "refusing a client: 3 clients already connected (2 refused so far)"}));
}

} // namespace
} // namespace brisvane::test
