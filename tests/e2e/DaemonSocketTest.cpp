// Hostile and broken clients on the daemon's socket: each one ends only its own connection, and a
// well-behaved app connected at the same time sees no difference.
#include "tests/e2e/DaemonTestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <random>
#include <thread>

namespace brisvane::test {
namespace {

// A daemon in control for an app that keeps calling, as the tests' yardstick.
class DaemonSocket : public ::testing::Test {
protected:
    void SetUp() override
    {
        rig.control("firmware accept-mode-after 0");
        rig.startDaemon();
        app.emplace(rig.connect());
        ASSERT_EQ(app->setTargets({3000, 3100}), (std::vector<double>{3000, 3100}));
        m_journalStart = rig.writes().size();
    }

    // The app's calls are answered as before.
    void expectAppServed()
    {
        EXPECT_EQ(app->setTargets({3000, 3100}), (std::vector<double>{3000, 3100}));
        const HelperStatus status = app->status();
        EXPECT_TRUE(status.isControlling());
        EXPECT_FALSE(status.lastError.has_value());
    }

    // Only the app's own targets were written since set-up, and the daemon is still running.
    void expectNothingElseChanged()
    {
        for (const SmcWrite& write : rig.writesSince(m_journalStart)) {
            EXPECT_TRUE(write.key == "F0Tg" || write.key == "F1Tg") << write;
            EXPECT_TRUE(write.accepted()) << write;
        }
        EXPECT_TRUE(ProcessControl::isAlive(rig.daemonPid()));
        EXPECT_TRUE(rig.fansManual());
        EXPECT_EQ(rig.violations(), nlohmann::json::array());
    }

    DaemonRig rig;
    std::optional<HelperWireClient> app;

private:
    std::size_t m_journalStart = 0;
};

struct MalformedCase {
    const char* name;
    std::vector<std::uint8_t> bytes;
    // The decoder's reason as logged; empty when the stream itself is not at fault.
    std::string reason;
    // Whole calls before the bad frame, each answered before the connection ends.
    int repliesFirst = 0;
};

TEST_F(DaemonSocket, AMalformedStreamEndsOnlyItsOwnConnection)
{
    const std::vector<std::uint8_t> wholeCall =
        encodeSetTargetsCall(1, std::vector<double>{4000, 4000});
    const std::vector<std::uint8_t> halfCall(wholeCall.begin(), wholeCall.begin() + 11);
    // One row per way a stream can fail; the decoder's own tests hold every malformed frame.
    const std::vector<MalformedCase> rows{
        {"length over 65536", {0x01, 0x00, 0x01, 0x00}, "frame length 65537"},
        {"a reply sent as a call", rawFrame(2, 3), "unexpected frame kind 2"},
        {"status with a body", rawFrame(1, 3, {0}), "operation 3 with a body of 1"},
        {"valid calls, then garbage",
         concat(concat(encodeStatusCall(1), encodeStatusCall(2)), {0xff, 0xff, 0xff, 0xff}),
         "frame length 4294967295", 2},
        {"half a call, then the end of the stream", halfCall, ""},
    };
    for (const MalformedCase& row : rows) {
        SCOPED_TRACE(row.name);
        HelperWireClient bad = rig.connect();
        bad.send(row.bytes);
        if (row.reason.empty())
            bad.shutdownWrite();
        if (row.repliesFirst > 0) {
            for (int i = 0; i < row.repliesFirst; ++i)
                EXPECT_EQ(bad.readReply().id, static_cast<std::uint32_t>(i + 1));
        }
        EXPECT_TRUE(bad.closedByPeer(3s));
        if (!row.reason.empty()) {
            EXPECT_EQ(
                rig.logCount("closing a client connection after a protocol error: " + row.reason),
                1u)
                << rig.daemonLog();
        }
        expectAppServed();
    }
    expectNothingElseChanged();
}

TEST_F(DaemonSocket, RandomBytesNeverReachTheFans)
{
    std::mt19937 random(20250131);
    std::vector<HelperWireClient> clients;
    for (int i = 0; i < 16; ++i) {
        std::vector<std::uint8_t> noise(64 + random() % 2048);
        for (auto& byte : noise)
            byte = static_cast<std::uint8_t>(random());
        clients.push_back(rig.connect());
        clients.back().send(noise);
    }
    // A random length below the limit leaves a frame waiting for bytes that never come; the
    // frame timeout ends those connections.
    for (HelperWireClient& client : clients) {
        bool closed = false;
        EXPECT_TRUE(eventually(
            [&] {
                expectAppServed();
                closed = client.closedByPeer(50ms);
                return closed;
            },
            10s));
    }
    expectNothingElseChanged();
}

TEST_F(DaemonSocket, AClientStalledMidFrameIsDroppedWithoutDelayingOthers)
{
    HelperWireClient stalled = rig.connect();
    const std::vector<std::uint8_t> call = encodeSetTargetsCall(1, std::vector<double>{5000, 5000});
    stalled.send(std::span<const std::uint8_t>(call.data(), call.size() / 2));

    int appCalls = 0;
    EXPECT_TRUE(eventually(
        [&] {
            expectAppServed();
            ++appCalls;
            return stalled.closedByPeer(50ms);
        },
        10s));
    EXPECT_GT(appCalls, 10);
    EXPECT_EQ(rig.logCount("closing a client connection: a frame was incomplete after 5 s"), 1u)
        << rig.daemonLog();
    expectNothingElseChanged();
}

TEST_F(DaemonSocket, AClientThatNeverReadsItsRepliesIsDropped)
{
    HelperWireClient flooder = rig.connect();
    std::atomic<bool> sendFailed{false};
    // Blocking sends stall once the daemon stops reading; they fail when it drops the client.
    std::thread sender([&] {
        std::vector<std::uint8_t> burst;
        for (std::uint32_t id = 1; id <= 1000; ++id) {
            const auto call = encodeStatusCall(id);
            burst.insert(burst.end(), call.begin(), call.end());
        }
        try {
            for (int i = 0; i < 200; ++i)
                flooder.send(burst);
        } catch (const HelperWireClient::Error&) {
            sendFailed = true;
        }
    });
    EXPECT_TRUE(eventually(
        [&] {
            expectAppServed();
            return rig.logCount("dropping a client that does not read its replies") > 0;
        },
        15s))
        << rig.daemonLog();
    sender.join();
    EXPECT_TRUE(sendFailed);
    expectNothingElseChanged();
}

TEST_F(DaemonSocket, ACrowdOfIdleAndHalfFrameConnectionsNeverLocksTheAppOut)
{
    const std::vector<std::uint8_t> call = encodeStatusCall(1);
    std::vector<HelperWireClient> crowd;
    for (int i = 0; i < 200; ++i) {
        crowd.push_back(rig.connect());
        if (i % 2 == 1)
            crowd.back().send(std::span(call).first(5));
    }
    // A newcomer is answered within its call's bound, and the app, which has made calls, keeps
    // its place; the crowd gives up its own places to stay within the cap.
    EXPECT_EQ(rig.connect().status().phase, HelperControlPhase::controlling);
    expectAppServed();
    std::size_t open = 0;
    EXPECT_TRUE(eventually([&] {
        open = 0;
        for (HelperWireClient& client : crowd)
            open += !client.closedByPeer(1ms);
        return open <= 63;
    })) << open;
    const std::size_t reports = rig.logCount("to make room");
    EXPECT_GE(reports, 1u);
    EXPECT_LE(reports, 20u) << "reported at a limited rate";
    expectNothingElseChanged();
}

} // namespace
} // namespace brisvane::test
