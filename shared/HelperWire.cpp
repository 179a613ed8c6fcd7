#include "HelperWire.h"

#include <algorithm>
#include <bit>
#include <stdexcept>

namespace brisvane {
namespace {

using Kind = HelperProtocolError::Kind;

constexpr std::size_t kCountSize = 4;
constexpr std::size_t kTargetSize = 8;

std::uint32_t readU32(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}

void appendU32(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void appendDouble(std::vector<std::uint8_t>& out, double value)
{
    const auto bits = std::bit_cast<std::uint64_t>(value);
    for (int shift = 0; shift < 64; shift += 8)
        out.push_back(static_cast<std::uint8_t>(bits >> shift));
}

double readDouble(const std::uint8_t* p)
{
    std::uint64_t bits = 0;
    for (int i = 7; i >= 0; --i)
        bits = bits << 8 | p[i];
    return std::bit_cast<double>(bits);
}

bool knownOperation(std::uint8_t op)
{
    return op >= 1 && op <= 5;
}

std::vector<std::uint8_t> frame(HelperFrameKind kind, HelperOperation op, std::uint32_t id,
                                std::span<const std::uint8_t> body)
{
    std::vector<std::uint8_t> out;
    out.reserve(HelperWire::kLengthPrefixSize + HelperWire::kHeaderSize + body.size());
    appendU32(out, static_cast<std::uint32_t>(HelperWire::kHeaderSize + body.size()));
    out.push_back(static_cast<std::uint8_t>(kind));
    out.push_back(static_cast<std::uint8_t>(op));
    appendU32(out, id);
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

std::vector<std::uint8_t> targetsFrame(HelperFrameKind kind, std::uint32_t id,
                                       std::span<const double> targets)
{
    if (targets.size() > HelperWire::kMaxTargets)
        throw std::length_error("setTargets carries at most 64 targets, not " +
                                std::to_string(targets.size()));
    std::vector<std::uint8_t> body;
    body.reserve(kCountSize + kTargetSize * targets.size());
    appendU32(body, static_cast<std::uint32_t>(targets.size()));
    for (double target : targets)
        appendDouble(body, target);
    return frame(kind, HelperOperation::setTargets, id, body);
}

// What the first bytes of a frame of `length` already decide, checked in one fixed order so that
// a stream gives the same verdict however it is chunked. Complete when all bytes are available.
std::optional<HelperProtocolError> checkFrame(std::span<const std::uint8_t> available,
                                              std::size_t length, HelperFrameKind accepted)
{
    auto error = [](Kind kind, std::string reason) {
        return std::optional<HelperProtocolError>(HelperProtocolError{kind, std::move(reason)});
    };
    if (length == 0 || length > HelperWire::kMaxFrameLength)
        return error(Kind::badLength, "frame length " + std::to_string(length));
    if (length < HelperWire::kHeaderSize)
        return error(Kind::shortFrame,
                     "frame of " + std::to_string(length) + " bytes has no header");
    if (available.empty())
        return std::nullopt;

    const std::uint8_t kind = available[0];
    if (kind != static_cast<std::uint8_t>(accepted))
        return error(Kind::badKind, "unexpected frame kind " + std::to_string(kind));
    if (available.size() < 2)
        return std::nullopt;

    const std::uint8_t opByte = available[1];
    if (!knownOperation(opByte))
        return error(Kind::badOperation, "unknown operation " + std::to_string(opByte));
    const auto op = static_cast<HelperOperation>(opByte);
    const bool reply = accepted == HelperFrameKind::reply;
    const std::size_t bodySize = length - HelperWire::kHeaderSize;
    auto badSize = [&] {
        return error(Kind::badBodySize, "operation " + std::to_string(opByte) + " with a body of " +
                                            std::to_string(bodySize) + " bytes");
    };

    switch (op) {
    case HelperOperation::setTargets: {
        if (bodySize < kCountSize)
            return badSize();
        if (available.size() < HelperWire::kHeaderSize + kCountSize)
            return std::nullopt;
        const std::uint32_t count = readU32(available.data() + HelperWire::kHeaderSize);
        if (count > HelperWire::kMaxTargets)
            return error(Kind::tooManyTargets, std::to_string(count) + " targets");
        if (bodySize != kCountSize + kTargetSize * count)
            return badSize();
        return std::nullopt;
    }
    case HelperOperation::status:
        if (!reply && bodySize != 0)
            return badSize();
        return std::nullopt;
    case HelperOperation::uninstall:
        if (bodySize != (reply ? 1u : 0u))
            return badSize();
        if (reply && available.size() > HelperWire::kHeaderSize &&
            available[HelperWire::kHeaderSize] > 1)
            return error(Kind::badUninstallValue,
                         "uninstall reply " + std::to_string(available[HelperWire::kHeaderSize]));
        return std::nullopt;
    case HelperOperation::releaseControl:
    case HelperOperation::shutDown:
        if (bodySize != 0)
            return badSize();
        return std::nullopt;
    }
    return std::nullopt;
}

// The frame has passed checkFrame in full.
HelperMessage messageFromCheckedFrame(std::span<const std::uint8_t> frame)
{
    HelperMessage message;
    message.kind = static_cast<HelperFrameKind>(frame[0]);
    message.op = static_cast<HelperOperation>(frame[1]);
    message.id = readU32(frame.data() + 2);
    const auto body = frame.subspan(HelperWire::kHeaderSize);
    switch (message.op) {
    case HelperOperation::setTargets: {
        const std::uint32_t count = readU32(body.data());
        message.targets.reserve(count);
        for (std::uint32_t i = 0; i < count; ++i)
            message.targets.push_back(readDouble(body.data() + kCountSize + kTargetSize * i));
        break;
    }
    case HelperOperation::status:
        message.statusData.assign(body.begin(), body.end());
        break;
    case HelperOperation::uninstall:
        message.uninstalled = !body.empty() && body[0] == 1;
        break;
    case HelperOperation::releaseControl:
    case HelperOperation::shutDown:
        break;
    }
    return message;
}

} // namespace

std::vector<std::uint8_t> encodeSetTargetsCall(std::uint32_t id, std::span<const double> targets)
{
    return targetsFrame(HelperFrameKind::call, id, targets);
}

std::vector<std::uint8_t> encodeReleaseControlCall(std::uint32_t id)
{
    return frame(HelperFrameKind::call, HelperOperation::releaseControl, id, {});
}

std::vector<std::uint8_t> encodeStatusCall(std::uint32_t id)
{
    return frame(HelperFrameKind::call, HelperOperation::status, id, {});
}

std::vector<std::uint8_t> encodeUninstallCall(std::uint32_t id)
{
    return frame(HelperFrameKind::call, HelperOperation::uninstall, id, {});
}

std::vector<std::uint8_t> encodeShutDownCall(std::uint32_t id)
{
    return frame(HelperFrameKind::call, HelperOperation::shutDown, id, {});
}

std::vector<std::uint8_t> encodeSetTargetsReply(std::uint32_t id, std::span<const double> targets)
{
    return targetsFrame(HelperFrameKind::reply, id, targets);
}

std::vector<std::uint8_t> encodeReleaseControlReply(std::uint32_t id)
{
    return frame(HelperFrameKind::reply, HelperOperation::releaseControl, id, {});
}

std::vector<std::uint8_t> encodeStatusReply(std::uint32_t id, std::span<const std::uint8_t> json)
{
    if (json.size() > HelperWire::kMaxStatusSize)
        json = {};
    return frame(HelperFrameKind::reply, HelperOperation::status, id, json);
}

std::vector<std::uint8_t> encodeUninstallReply(std::uint32_t id, bool uninstalled)
{
    const std::uint8_t body[1] = {static_cast<std::uint8_t>(uninstalled ? 1 : 0)};
    return frame(HelperFrameKind::reply, HelperOperation::uninstall, id, body);
}

std::vector<std::uint8_t> encodeShutDownReply(std::uint32_t id)
{
    return frame(HelperFrameKind::reply, HelperOperation::shutDown, id, {});
}

std::vector<std::uint8_t> encodeHelperMessage(const HelperMessage& message)
{
    const bool call = message.kind == HelperFrameKind::call;
    switch (message.op) {
    case HelperOperation::setTargets:
        return call ? encodeSetTargetsCall(message.id, message.targets)
                    : encodeSetTargetsReply(message.id, message.targets);
    case HelperOperation::releaseControl:
        return call ? encodeReleaseControlCall(message.id) : encodeReleaseControlReply(message.id);
    case HelperOperation::status:
        return call ? encodeStatusCall(message.id)
                    : encodeStatusReply(message.id, message.statusData);
    case HelperOperation::uninstall:
        return call ? encodeUninstallCall(message.id)
                    : encodeUninstallReply(message.id, message.uninstalled);
    case HelperOperation::shutDown:
        return call ? encodeShutDownCall(message.id) : encodeShutDownReply(message.id);
    }
    throw std::invalid_argument("unknown helper operation");
}

std::optional<HelperMessage> decodeHelperFrame(std::span<const std::uint8_t> frame,
                                               HelperFrameKind accepted, HelperProtocolError* error)
{
    if (auto problem = checkFrame(frame, frame.size(), accepted)) {
        if (error)
            *error = std::move(*problem);
        return std::nullopt;
    }
    return messageFromCheckedFrame(frame);
}

std::vector<HelperMessage> HelperFrameDecoder::feed(std::span<const std::uint8_t> bytes)
{
    std::vector<HelperMessage> messages;
    while (!bytes.empty() && !m_error) {
        if (m_lengthBytes < HelperWire::kLengthPrefixSize) {
            const std::size_t take =
                std::min(bytes.size(), HelperWire::kLengthPrefixSize - m_lengthBytes);
            std::copy_n(bytes.begin(), take, m_lengthPrefix + m_lengthBytes);
            m_lengthBytes += take;
            bytes = bytes.subspan(take);
            if (m_lengthBytes < HelperWire::kLengthPrefixSize)
                break;
            m_frameLength = readU32(m_lengthPrefix);
            if (auto problem = checkFrame({}, m_frameLength, m_accepted)) {
                m_error = std::move(problem);
                break;
            }
            m_frame.clear();
            m_frame.reserve(m_frameLength); // at most one frame: the length is checked above
            continue;
        }

        const std::size_t take = std::min(bytes.size(), m_frameLength - m_frame.size());
        m_frame.insert(m_frame.end(), bytes.begin(), bytes.begin() + take);
        bytes = bytes.subspan(take);
        // Refuse as soon as the header decides, rather than after up to 64 KiB of a bad frame.
        if (auto problem = checkFrame(m_frame, m_frameLength, m_accepted)) {
            m_error = std::move(problem);
            break;
        }
        if (m_frame.size() == m_frameLength) {
            messages.push_back(messageFromCheckedFrame(m_frame));
            m_frame.clear();
            m_lengthBytes = 0;
        }
    }
    if (m_error)
        m_frame = {};
    return messages;
}

} // namespace brisvane
