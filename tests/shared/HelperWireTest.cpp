// The daemon socket's frames: layout, round trips, malformed input and size limits.

#include "shared/HelperWire.h"
#include "tests/e2e/HelperWireClient.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <limits>
#include <stdexcept>

namespace brisvane {
namespace {

using test::Bytes;
using test::concat;
using test::le32;
using test::rawFrame;
using ErrorKind = HelperProtocolError::Kind;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// NaN never equals itself, so targets are compared by their bits.
std::vector<std::uint64_t> bits(const std::vector<double>& values)
{
    std::vector<std::uint64_t> out;
    for (double value : values)
        out.push_back(std::bit_cast<std::uint64_t>(value));
    return out;
}

void expectSameMessage(const HelperMessage& actual, const HelperMessage& expected)
{
    EXPECT_EQ(actual.kind, expected.kind);
    EXPECT_EQ(actual.op, expected.op);
    EXPECT_EQ(actual.id, expected.id);
    EXPECT_EQ(bits(actual.targets), bits(expected.targets));
    EXPECT_EQ(actual.statusData, expected.statusData);
    EXPECT_EQ(actual.uninstalled, expected.uninstalled);
}

std::vector<HelperMessage> everyOperation()
{
    using enum HelperOperation;
    const double signalingNaN = std::numeric_limits<double>::signaling_NaN();
    const std::vector<double> oddTargets = {1200, -0.0, kNaN, kInf, -kInf, 5e-324, signalingNaN};
    const std::vector<std::uint8_t> json = {'{', '"', 'v', '"', ':', '1', '}'};
    std::vector<HelperMessage> messages;
    for (auto kind : {HelperFrameKind::call, HelperFrameKind::reply}) {
        const bool reply = kind == HelperFrameKind::reply;
        for (std::uint32_t id : {0u, 1u, 0xFFFFFFFFu}) {
            for (auto targets :
                 {std::vector<double>{}, oddTargets, std::vector<double>(64, 4128.5)})
                messages.push_back({kind, setTargets, id, targets, {}, false});
            for (auto op : {releaseControl, uninstall, shutDown, status})
                messages.push_back({kind, op, id, {}, {}, false});
            if (reply) {
                messages.push_back({kind, uninstall, id, {}, {}, true});
                messages.push_back({kind, status, id, {}, json, false});
            }
        }
    }
    return messages;
}

TEST(HelperWire, FramesHaveTheDocumentedByteLayout)
{
    const Bytes setTargets = {18, 0, 0, 0, 1, 1, 7, 0, 0,    0,    1,
                              0,  0, 0, 0, 0, 0, 0, 0, 0xC0, 0x92, 0x40};
    const double target = 1200.0;
    EXPECT_EQ(encodeSetTargetsCall(7, {&target, 1}), setTargets);
    EXPECT_EQ(encodeStatusCall(0x04030201), (Bytes{6, 0, 0, 0, 1, 3, 1, 2, 3, 4}));
    EXPECT_EQ(encodeUninstallReply(9, true), (Bytes{7, 0, 0, 0, 2, 4, 9, 0, 0, 0, 1}));
    EXPECT_EQ(encodeShutDownReply(9), (Bytes{6, 0, 0, 0, 2, 5, 9, 0, 0, 0}));
    EXPECT_EQ(encodeReleaseControlCall(1), (Bytes{6, 0, 0, 0, 1, 2, 1, 0, 0, 0}));
}

// Every operation round-trips in both directions, as a whole frame and in a stream decoded
// identically however it is split.
TEST(HelperWire, EveryOperationRoundTripsHoweverTheStreamIsSplit)
{
    for (auto kind : {HelperFrameKind::call, HelperFrameKind::reply}) {
        Bytes stream;
        std::vector<HelperMessage> expected;
        for (const auto& m : everyOperation()) {
            if (m.kind != kind)
                continue;
            const Bytes frame = encodeHelperMessage(m);
            stream.insert(stream.end(), frame.begin(), frame.end());
            expected.push_back(m);
            const auto whole = decodeHelperFrame(std::span(frame).subspan(4), kind);
            ASSERT_TRUE(whole) << "op " << int(m.op) << " id " << m.id;
            expectSameMessage(*whole, m);
        }
        for (std::size_t split = 0; split <= stream.size(); ++split) {
            SCOPED_TRACE(split);
            HelperFrameDecoder decoder(kind);
            auto decoded = decoder.feed(std::span(stream).first(split));
            auto rest = decoder.feed(std::span(stream).subspan(split));
            decoded.insert(decoded.end(), rest.begin(), rest.end());
            ASSERT_FALSE(decoder.error()) << decoder.error()->reason;
            ASSERT_EQ(decoded.size(), expected.size());
            for (std::size_t i = 0; i < decoded.size(); ++i)
                expectSameMessage(decoded[i], expected[i]);
            EXPECT_TRUE(decoder.idle());
        }
    }
}

Bytes targetsBody(std::uint32_t count, std::size_t doubles)
{
    return concat(le32(count), Bytes(8 * doubles, 0));
}

struct Malformed {
    const char* name;
    HelperFrameKind accepted;
    Bytes bytes;
    ErrorKind error;
};

std::vector<Malformed> malformedFrames()
{
    using enum HelperProtocolError::Kind;
    const auto call = HelperFrameKind::call;
    const auto reply = HelperFrameKind::reply;
    return {
        {"length 0", call, le32(0), badLength},
        {"length 65537", call, le32(65537), badLength},
        {"length 2^32-1", reply, le32(0xFFFFFFFF), badLength},
        {"length 1", call, concat(le32(1), {1}), shortFrame},
        {"length 5", call, concat(le32(5), {1, 2, 0, 0, 0}), shortFrame},
        {"kind 0", call, rawFrame(0, 2, {}), badKind},
        {"kind 3", reply, rawFrame(3, 2, {}), badKind},
        {"reply sent to the daemon", call, rawFrame(2, 2, {}), badKind},
        {"call sent to the app", reply, rawFrame(1, 3, {}), badKind},
        {"op 0", call, rawFrame(1, 0, {}), badOperation},
        {"op 6", reply, rawFrame(2, 6, {}), badOperation},
        {"releaseControl call with a body", call, rawFrame(1, 2, {0}), badBodySize},
        {"releaseControl reply with a body", reply, rawFrame(2, 2, {0}), badBodySize},
        {"status call with a body", call, rawFrame(1, 3, {'{', '}'}), badBodySize},
        {"uninstall call with a body", call, rawFrame(1, 4, {1}), badBodySize},
        {"uninstall reply without its byte", reply, rawFrame(2, 4, {}), badBodySize},
        {"uninstall reply of 2 bytes", reply, rawFrame(2, 4, {1, 1}), badBodySize},
        {"uninstall reply value 2", reply, rawFrame(2, 4, {2}), badUninstallValue},
        {"shutDown call with a body", call, rawFrame(1, 5, {0, 0}), badBodySize},
        {"shutDown reply with a body", reply, rawFrame(2, 5, {0}), badBodySize},
        {"setTargets without a count", call, rawFrame(1, 1, {}), badBodySize},
        {"setTargets with 3 count bytes", reply, rawFrame(2, 1, {0, 0, 0}), badBodySize},
        {"setTargets count 65", call, rawFrame(1, 1, targetsBody(65, 65)), tooManyTargets},
        {"setTargets count 2^32-1", reply, rawFrame(2, 1, targetsBody(0xFFFFFFFF, 1)),
         tooManyTargets},
        {"setTargets count 2, one target", call, rawFrame(1, 1, targetsBody(2, 1)), badBodySize},
        {"setTargets count 1, two targets", reply, rawFrame(2, 1, targetsBody(1, 2)), badBodySize},
        {"setTargets count 0, stray byte", call, rawFrame(1, 1, concat(le32(0), {0})), badBodySize},
        {"setTargets count 1, partial target", call, rawFrame(1, 1, concat(le32(1), Bytes(7, 0))),
         badBodySize},
    };
}

TEST(HelperWire, EveryMalformedFrameEndsTheStreamAfterTheValidFramesBeforeIt)
{
    for (const auto& bad : malformedFrames()) {
        SCOPED_TRACE(bad.name);
        const bool call = bad.accepted == HelperFrameKind::call;
        const Bytes good = call ? encodeStatusCall(41) : encodeShutDownReply(41);
        const Bytes stream = concat(concat(good, bad.bytes), good);

        for (std::size_t split = 0; split <= stream.size(); ++split) {
            HelperFrameDecoder decoder(bad.accepted);
            auto decoded = decoder.feed(std::span(stream).first(split));
            auto rest = decoder.feed(std::span(stream).subspan(split));
            decoded.insert(decoded.end(), rest.begin(), rest.end());
            ASSERT_TRUE(decoder.error()) << "split " << split;
            EXPECT_EQ(decoder.error()->kind, bad.error) << decoder.error()->reason;
            EXPECT_FALSE(decoder.error()->reason.empty());
            ASSERT_EQ(decoded.size(), 1u) << "split " << split;
            EXPECT_EQ(decoded[0].id, 41u);
            EXPECT_TRUE(decoder.feed(good).empty()) << "a failed stream stays failed";
        }

        if (bad.bytes.size() >= 4) {
            HelperProtocolError error{};
            EXPECT_FALSE(decodeHelperFrame(std::span(bad.bytes).subspan(4), bad.accepted, &error));
            EXPECT_EQ(error.kind, bad.error);
        }
    }
}

TEST(HelperWire, AHostileHeaderIsRefusedBeforeTheBodyArrives)
{
    // A peer that announces 64 KiB and sends a bad kind is cut off at the kind byte.
    HelperFrameDecoder decoder(HelperFrameKind::call);
    decoder.feed(concat(le32(65536), {9}));
    ASSERT_TRUE(decoder.error());
    EXPECT_EQ(decoder.error()->kind, ErrorKind::badKind);

    HelperFrameDecoder counts(HelperFrameKind::call);
    counts.feed(concat(concat(le32(6 + 4 + 8 * 1000), {1, 1, 0, 0, 0, 0}), le32(1000)));
    ASSERT_TRUE(counts.error());
    EXPECT_EQ(counts.error()->kind, ErrorKind::tooManyTargets);
}

// The largest frame is accepted; an oversized status is sent as empty and more than 64 targets
// are refused.
TEST(HelperWire, EncodingStaysWithinTheFrameLimits)
{
    const Bytes json(HelperWire::kMaxStatusSize, 'x');
    const Bytes largest = encodeStatusReply(3, json);
    ASSERT_EQ(largest.size(), 4 + HelperWire::kMaxFrameLength);
    HelperFrameDecoder decoder(HelperFrameKind::reply);
    const auto decoded = decoder.feed(largest);
    ASSERT_EQ(decoded.size(), 1u);
    EXPECT_EQ(decoded[0].statusData, json);
    EXPECT_EQ(encodeStatusReply(3, Bytes(json.size() + 1, 'x')), encodeStatusReply(3, {}));

    const std::vector<double> targets(65, 1000);
    EXPECT_THROW(encodeSetTargetsCall(1, targets), std::length_error);
    EXPECT_THROW(encodeSetTargetsReply(1, targets), std::length_error);
    EXPECT_NO_THROW(encodeSetTargetsCall(1, std::span(targets).first(64)));
}

} // namespace
} // namespace brisvane
