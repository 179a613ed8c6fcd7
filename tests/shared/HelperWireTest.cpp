#include "shared/HelperWire.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <limits>
#include <stdexcept>

namespace brisvane {
namespace {

using Bytes = std::vector<std::uint8_t>;
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

HelperMessage message(HelperFrameKind kind, HelperOperation op, std::uint32_t id)
{
    HelperMessage m;
    m.kind = kind;
    m.op = op;
    m.id = id;
    return m;
}

std::vector<HelperMessage> everyOperation()
{
    const double signalingNaN = std::numeric_limits<double>::signaling_NaN();
    const std::vector<double> oddTargets = {1200, -0.0, kNaN, kInf, -kInf, 5e-324, signalingNaN};
    std::vector<HelperMessage> messages;
    for (auto kind : {HelperFrameKind::call, HelperFrameKind::reply}) {
        for (std::uint32_t id : {0u, 1u, 0xFFFFFFFFu}) {
            for (auto targets :
                 {std::vector<double>{}, oddTargets, std::vector<double>(64, 4128.5)}) {
                auto m = message(kind, HelperOperation::setTargets, id);
                m.targets = targets;
                messages.push_back(m);
            }
            messages.push_back(message(kind, HelperOperation::releaseControl, id));
            messages.push_back(message(kind, HelperOperation::uninstall, id));
            messages.push_back(message(kind, HelperOperation::shutDown, id));
            if (kind == HelperFrameKind::call) {
                messages.push_back(message(kind, HelperOperation::status, id));
                continue;
            }
            auto uninstalled = message(kind, HelperOperation::uninstall, id);
            uninstalled.uninstalled = true;
            messages.push_back(uninstalled);
            for (const char* json : {"", R"({"version":"1.0.2"})"}) {
                auto m = message(kind, HelperOperation::status, id);
                m.statusData.assign(json, json + std::strlen(json));
                messages.push_back(m);
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

TEST(HelperWire, EveryOperationRoundTripsInBothDirections)
{
    for (const auto& expected : everyOperation()) {
        SCOPED_TRACE(testing::Message() << "kind " << int(expected.kind) << " op "
                                        << int(expected.op) << " id " << expected.id);
        const Bytes encoded = encodeHelperMessage(expected);
        HelperFrameDecoder decoder(expected.kind);
        const auto decoded = decoder.feed(encoded);
        ASSERT_FALSE(decoder.error()) << decoder.error()->reason;
        ASSERT_EQ(decoded.size(), 1u);
        expectSameMessage(decoded[0], expected);
        EXPECT_TRUE(decoder.idle());

        const auto whole = decodeHelperFrame(std::span(encoded).subspan(4), expected.kind);
        ASSERT_TRUE(whole);
        expectSameMessage(*whole, expected);
    }
}

TEST(HelperWire, AStreamDecodesIdenticallyHoweverItIsSplit)
{
    Bytes stream;
    std::vector<HelperMessage> expected;
    for (const auto& m : everyOperation()) {
        if (m.kind != HelperFrameKind::call)
            continue;
        const Bytes frame = encodeHelperMessage(m);
        stream.insert(stream.end(), frame.begin(), frame.end());
        expected.push_back(m);
    }
    auto check = [&](const std::vector<HelperMessage>& decoded) {
        ASSERT_EQ(decoded.size(), expected.size());
        for (std::size_t i = 0; i < decoded.size(); ++i)
            expectSameMessage(decoded[i], expected[i]);
    };

    for (std::size_t split = 0; split <= stream.size(); ++split) {
        SCOPED_TRACE(split);
        HelperFrameDecoder decoder(HelperFrameKind::call);
        auto decoded = decoder.feed(std::span(stream).first(split));
        auto rest = decoder.feed(std::span(stream).subspan(split));
        decoded.insert(decoded.end(), rest.begin(), rest.end());
        ASSERT_FALSE(decoder.error());
        check(decoded);
    }

    HelperFrameDecoder byteByByte(HelperFrameKind::call);
    std::vector<HelperMessage> decoded;
    for (std::uint8_t byte : stream) {
        auto out = byteByByte.feed(std::span(&byte, 1));
        decoded.insert(decoded.end(), out.begin(), out.end());
    }
    check(decoded);
}

Bytes le32(std::uint32_t v)
{
    return {std::uint8_t(v), std::uint8_t(v >> 8), std::uint8_t(v >> 16), std::uint8_t(v >> 24)};
}

// A frame with a length prefix that matches what follows.
Bytes rawFrame(std::uint8_t kind, std::uint8_t op, Bytes body)
{
    Bytes out = le32(static_cast<std::uint32_t>(6 + body.size()));
    out.insert(out.end(), {kind, op, 5, 0, 0, 0});
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

Bytes concat(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
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
    const auto call = HelperFrameKind::call;
    const auto reply = HelperFrameKind::reply;
    return {
        {"length 0", call, le32(0), ErrorKind::badLength},
        {"length 65537", call, le32(65537), ErrorKind::badLength},
        {"length 2^32-1", reply, le32(0xFFFFFFFF), ErrorKind::badLength},
        {"length 1", call, concat(le32(1), {1}), ErrorKind::shortFrame},
        {"length 5", call, concat(le32(5), {1, 2, 0, 0, 0}), ErrorKind::shortFrame},
        {"kind 0", call, rawFrame(0, 2, {}), ErrorKind::badKind},
        {"kind 3", reply, rawFrame(3, 2, {}), ErrorKind::badKind},
        {"reply sent to the daemon", call, rawFrame(2, 2, {}), ErrorKind::badKind},
        {"call sent to the app", reply, rawFrame(1, 3, {}), ErrorKind::badKind},
        {"op 0", call, rawFrame(1, 0, {}), ErrorKind::badOperation},
        {"op 6", reply, rawFrame(2, 6, {}), ErrorKind::badOperation},
        {"op 255", call, rawFrame(1, 255, {}), ErrorKind::badOperation},
        {"releaseControl call with a body", call, rawFrame(1, 2, {0}), ErrorKind::badBodySize},
        {"releaseControl reply with a body", reply, rawFrame(2, 2, {0}), ErrorKind::badBodySize},
        {"status call with a body", call, rawFrame(1, 3, {'{', '}'}), ErrorKind::badBodySize},
        {"uninstall call with a body", call, rawFrame(1, 4, {1}), ErrorKind::badBodySize},
        {"uninstall reply without its byte", reply, rawFrame(2, 4, {}), ErrorKind::badBodySize},
        {"uninstall reply of 2 bytes", reply, rawFrame(2, 4, {1, 1}), ErrorKind::badBodySize},
        {"uninstall reply value 2", reply, rawFrame(2, 4, {2}), ErrorKind::badUninstallValue},
        {"shutDown call with a body", call, rawFrame(1, 5, {0, 0}), ErrorKind::badBodySize},
        {"shutDown reply with a body", reply, rawFrame(2, 5, {0}), ErrorKind::badBodySize},
        {"setTargets without a count", call, rawFrame(1, 1, {}), ErrorKind::badBodySize},
        {"setTargets with 3 count bytes", reply, rawFrame(2, 1, {0, 0, 0}), ErrorKind::badBodySize},
        {"setTargets count 65", call, rawFrame(1, 1, targetsBody(65, 65)),
         ErrorKind::tooManyTargets},
        {"setTargets count 2^32-1", reply, rawFrame(2, 1, targetsBody(0xFFFFFFFF, 1)),
         ErrorKind::tooManyTargets},
        {"setTargets count 2, one target", call, rawFrame(1, 1, targetsBody(2, 1)),
         ErrorKind::badBodySize},
        {"setTargets count 1, two targets", reply, rawFrame(2, 1, targetsBody(1, 2)),
         ErrorKind::badBodySize},
        {"setTargets count 0, stray byte", call, rawFrame(1, 1, concat(le32(0), {0})),
         ErrorKind::badBodySize},
        {"setTargets count 1, partial target", call, rawFrame(1, 1, concat(le32(1), Bytes(7, 0))),
         ErrorKind::badBodySize},
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

TEST(HelperWire, TheLargestFrameIsAcceptedAndAnOversizedStatusIsSentAsEmpty)
{
    const Bytes json(HelperWire::kMaxStatusSize, 'x');
    const Bytes largest = encodeStatusReply(3, json);
    ASSERT_EQ(largest.size(), 4 + HelperWire::kMaxFrameLength);
    HelperFrameDecoder decoder(HelperFrameKind::reply);
    const auto decoded = decoder.feed(largest);
    ASSERT_EQ(decoded.size(), 1u);
    EXPECT_EQ(decoded[0].statusData, json);

    const Bytes tooLarge(HelperWire::kMaxStatusSize + 1, 'x');
    EXPECT_EQ(encodeStatusReply(3, tooLarge), encodeStatusReply(3, {}));
}

TEST(HelperWire, SetTargetsRefusesToEncodeMoreThan64Targets)
{
    const std::vector<double> targets(65, 1000);
    EXPECT_THROW(encodeSetTargetsCall(1, targets), std::length_error);
    EXPECT_THROW(encodeSetTargetsReply(1, targets), std::length_error);
    EXPECT_NO_THROW(encodeSetTargetsCall(1, std::span(targets).first(64)));
}

} // namespace
} // namespace brisvane
