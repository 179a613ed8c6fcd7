#pragma once
// The frames that carry the helper's five operations over the daemon's stream socket: a u32
// little-endian length N (1…65536), then u8 kind, u8 op, u32 little-endian call id and the body.
// Pure: no I/O. Both sides read peer bytes through HelperFrameDecoder, which treats every byte as
// hostile.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace brisvane {

enum class HelperFrameKind : std::uint8_t { call = 1, reply = 2 };

enum class HelperOperation : std::uint8_t {
    setTargets = 1,
    releaseControl = 2,
    status = 3,
    uninstall = 4,
    shutDown = 5,
};

struct HelperWire {
    static constexpr std::size_t kLengthPrefixSize = 4;
    // kind, op and call id.
    static constexpr std::size_t kHeaderSize = 6;
    static constexpr std::size_t kMaxFrameLength = 65536;
    static constexpr std::size_t kMaxTargets = 64;
    // The largest status document a reply can carry.
    static constexpr std::size_t kMaxStatusSize = kMaxFrameLength - kHeaderSize;
};

// One decoded frame. Only the body field of its (kind, op) is meaningful: `targets` for
// setTargets, `statusData` for a status reply, `uninstalled` for an uninstall reply.
struct HelperMessage {
    HelperFrameKind kind = HelperFrameKind::call;
    HelperOperation op = HelperOperation::status;
    std::uint32_t id = 0;
    std::vector<double> targets;
    std::vector<std::uint8_t> statusData;
    bool uninstalled = false;

    friend bool operator==(const HelperMessage&, const HelperMessage&) = default;
};

// Calls. setTargets refuses more than kMaxTargets with std::length_error.
std::vector<std::uint8_t> encodeSetTargetsCall(std::uint32_t id, std::span<const double> targets);
std::vector<std::uint8_t> encodeReleaseControlCall(std::uint32_t id);
std::vector<std::uint8_t> encodeStatusCall(std::uint32_t id);
std::vector<std::uint8_t> encodeUninstallCall(std::uint32_t id);
std::vector<std::uint8_t> encodeShutDownCall(std::uint32_t id);

// Replies carry their call's id. setTargets refuses more than kMaxTargets with
// std::length_error; a status document too large for a frame is sent as empty data, the form
// of a status that could not be encoded.
std::vector<std::uint8_t> encodeSetTargetsReply(std::uint32_t id, std::span<const double> targets);
std::vector<std::uint8_t> encodeReleaseControlReply(std::uint32_t id);
std::vector<std::uint8_t> encodeStatusReply(std::uint32_t id, std::span<const std::uint8_t> json);
std::vector<std::uint8_t> encodeUninstallReply(std::uint32_t id, bool uninstalled);
std::vector<std::uint8_t> encodeShutDownReply(std::uint32_t id);

// Any message, by its kind and op; the same refusals as above.
std::vector<std::uint8_t> encodeHelperMessage(const HelperMessage& message);

// Why a peer's bytes were refused; the connection ends without a reply.
struct HelperProtocolError {
    enum class Kind {
        badLength,         // N is 0 or over 65536
        shortFrame,        // N too small for kind, op and id
        badKind,           // not 1 or 2, or not the kind this side receives
        badOperation,      // not 1…5
        badBodySize,       // a body whose size does not fit its operation
        tooManyTargets,    // a setTargets count over 64
        badUninstallValue, // an uninstall reply byte other than 0 or 1
    };
    Kind kind;
    std::string reason; // short, for the log

    friend bool operator==(const HelperProtocolError&, const HelperProtocolError&) = default;
};

// Turns a byte stream, in any chunking, into messages of one kind (calls on the daemon's side,
// replies on the app's). After the first protocol error it produces nothing more. It never holds
// more than one frame of at most kMaxFrameLength bytes.
class HelperFrameDecoder {
public:
    explicit HelperFrameDecoder(HelperFrameKind accepted)
        : m_accepted(accepted)
    {}

    // The messages these bytes complete, in stream order. Frames completed before an error in
    // the same chunk are still returned; check error() afterwards.
    std::vector<HelperMessage> feed(std::span<const std::uint8_t> bytes);

    const std::optional<HelperProtocolError>& error() const { return m_error; }
    // True between frames: nothing buffered of a partial frame.
    bool idle() const { return m_lengthBytes == 0; }

private:
    HelperFrameKind m_accepted;
    std::optional<HelperProtocolError> m_error;
    std::uint8_t m_lengthPrefix[HelperWire::kLengthPrefixSize] = {};
    std::size_t m_lengthBytes = 0; // of the prefix received so far
    std::size_t m_frameLength = 0; // valid once the prefix is complete
    std::vector<std::uint8_t> m_frame;
};

// Decodes one frame's N bytes (without the length prefix); the decoder's rules, for callers that
// already hold whole frames.
std::optional<HelperMessage> decodeHelperFrame(std::span<const std::uint8_t> frame,
                                               HelperFrameKind accepted,
                                               HelperProtocolError* error = nullptr);

} // namespace brisvane
