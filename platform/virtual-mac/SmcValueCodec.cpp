#include "SmcValueCodec.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <map>
#include <stdexcept>

namespace brisvane::SmcValueCodec {
namespace {

struct IntegerType {
    std::uint32_t size;
    bool isSigned;
    int fractionBits; // 0 for plain integers; fixed-point types scale by 2^fractionBits
};

const std::map<std::string, IntegerType>& integerTypes()
{
    static const std::map<std::string, IntegerType> types{
        {"ui8 ", {1, false, 0}}, {"ui16", {2, false, 0}}, {"ui32", {4, false, 0}},
        {"ui64", {8, false, 0}}, {"si8 ", {1, true, 0}},  {"si16", {2, true, 0}},
        {"si32", {4, true, 0}},  {"si64", {8, true, 0}},  {"sp78", {2, true, 8}},
        {"sp87", {2, true, 7}},  {"fpe2", {2, false, 2}}, {"fp88", {2, false, 8}},
    };
    return types;
}

std::vector<std::uint8_t> bigEndian(std::uint64_t raw, std::uint32_t size)
{
    std::vector<std::uint8_t> bytes(size);
    for (std::uint32_t i = 0; i < size; ++i)
        bytes[size - 1 - i] = static_cast<std::uint8_t>(raw >> (8 * i));
    return bytes;
}

} // namespace

std::optional<std::uint32_t> fixedSize(const std::string& type)
{
    if (type == "flt " || type == "ioft")
        return type == "flt " ? 4u : 8u;
    if (type == "flag")
        return 1u;
    if (auto it = integerTypes().find(type); it != integerTypes().end())
        return it->second.size;
    return std::nullopt;
}

std::vector<std::uint8_t> encode(const std::string& type, const nlohmann::json& value,
                                 std::optional<std::uint32_t> size)
{
    if (type == "flt ") {
        if (!value.is_number())
            throw std::invalid_argument("a flt  value must be a number");
        return floatBytes(value.get<float>());
    }
    if (type == "flag") {
        if (value.is_boolean())
            return {static_cast<std::uint8_t>(value.get<bool>() ? 1 : 0)};
        if (value.is_number_unsigned() && value.get<std::uint64_t>() <= 1)
            return {static_cast<std::uint8_t>(value.get<std::uint64_t>())};
        throw std::invalid_argument("a flag value must be true, false, 0 or 1");
    }
    if (type == "ch8*") {
        if (!value.is_string())
            throw std::invalid_argument("a ch8* value must be a string");
        const auto& text = value.get_ref<const std::string&>();
        const std::uint32_t n = size.value_or(static_cast<std::uint32_t>(text.size()));
        if (text.size() > n)
            throw std::invalid_argument("text longer than the key's size");
        std::vector<std::uint8_t> bytes(n, 0);
        std::memcpy(bytes.data(), text.data(), text.size());
        return bytes;
    }
    if (auto it = integerTypes().find(type); it != integerTypes().end()) {
        const IntegerType& t = it->second;
        if (!value.is_number())
            throw std::invalid_argument("a " + type + " value must be a number");
        const double scaled = std::ldexp(value.get<double>(), t.fractionBits);
        const double bits = 8.0 * t.size;
        const double lo = t.isSigned ? -std::ldexp(1.0, static_cast<int>(bits) - 1) : 0.0;
        const double hi = t.isSigned ? std::ldexp(1.0, static_cast<int>(bits) - 1)
                                     : std::ldexp(1.0, static_cast<int>(bits));
        if (!(scaled >= lo && scaled < hi) || std::round(scaled) != scaled)
            throw std::invalid_argument("value out of range for " + type);
        const auto raw = static_cast<std::uint64_t>(static_cast<std::int64_t>(scaled));
        return bigEndian(raw, t.size);
    }
    throw std::invalid_argument("type " + type + " takes its value as hex");
}

std::optional<nlohmann::json> decode(const std::string& type,
                                     const std::vector<std::uint8_t>& bytes)
{
    if (type == "flt ") {
        if (auto f = bytesFloat(bytes))
            return std::isfinite(*f) ? nlohmann::json(*f) : nlohmann::json(nullptr);
        return std::nullopt;
    }
    if (type == "flag")
        return bytes.size() == 1 ? std::optional<nlohmann::json>(bytes[0] != 0) : std::nullopt;
    if (type == "ch8*") {
        std::string text(bytes.begin(), bytes.end());
        text.erase(std::find(text.begin(), text.end(), '\0'), text.end());
        for (char c : text)
            if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7f)
                return std::nullopt;
        return text;
    }
    if (auto it = integerTypes().find(type); it != integerTypes().end()) {
        const IntegerType& t = it->second;
        if (bytes.size() != t.size)
            return std::nullopt;
        std::uint64_t raw = 0;
        for (std::uint8_t b : bytes)
            raw = (raw << 8) | b;
        if (t.fractionBits == 0 && !t.isSigned)
            return raw;
        std::int64_t value = static_cast<std::int64_t>(raw);
        if (t.isSigned && t.size < 8 && (raw >> (8 * t.size - 1)) != 0)
            value -= static_cast<std::int64_t>(1) << (8 * t.size);
        if (t.fractionBits == 0)
            return value;
        return std::ldexp(static_cast<double>(value), -t.fractionBits);
    }
    return std::nullopt;
}

std::string toHex(const std::vector<std::uint8_t>& bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (std::uint8_t b : bytes) {
        text.push_back(digits[b >> 4]);
        text.push_back(digits[b & 15]);
    }
    return text;
}

std::vector<std::uint8_t> fromHex(const std::string& text)
{
    auto nibble = [](char c) -> int {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    };
    if (text.size() % 2 != 0)
        throw std::invalid_argument("hex text must have an even number of digits");
    std::vector<std::uint8_t> bytes;
    bytes.reserve(text.size() / 2);
    for (std::size_t i = 0; i < text.size(); i += 2) {
        int hi = nibble(text[i]), lo = nibble(text[i + 1]);
        if (hi < 0 || lo < 0)
            throw std::invalid_argument("not a hex digit in \"" + text + "\"");
        bytes.push_back(static_cast<std::uint8_t>(hi << 4 | lo));
    }
    return bytes;
}

std::vector<std::uint8_t> floatBytes(float value)
{
    const auto raw = std::bit_cast<std::uint32_t>(value);
    return {static_cast<std::uint8_t>(raw), static_cast<std::uint8_t>(raw >> 8),
            static_cast<std::uint8_t>(raw >> 16), static_cast<std::uint8_t>(raw >> 24)};
}

std::optional<float> bytesFloat(const std::vector<std::uint8_t>& bytes)
{
    if (bytes.size() != 4)
        return std::nullopt;
    const std::uint32_t raw =
        bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
    return std::bit_cast<float>(raw);
}

} // namespace brisvane::SmcValueCodec
