#pragma once
// Turns the values a profile writes as numbers, strings or flags into SMC bytes and back, for
// the types the virtual SMC knows. SMC integers and fixed-point values are big-endian; "flt "
// is a little-endian single-precision float on Apple silicon.

#include <nlohmann/json.hpp>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace brisvane::SmcValueCodec {

// The data size a type always has, or nothing for types whose size the profile must give.
std::optional<std::uint32_t> fixedSize(const std::string& type);

// Encodes `value` for `type`; `size` pads text types. Throws std::invalid_argument.
std::vector<std::uint8_t> encode(const std::string& type, const nlohmann::json& value,
                                 std::optional<std::uint32_t> size);

// The value of known types as a JSON number, string or boolean; nothing for opaque types.
std::optional<nlohmann::json> decode(const std::string& type,
                                     const std::vector<std::uint8_t>& bytes);

std::string toHex(const std::vector<std::uint8_t>& bytes);
// Accepts upper or lower case, no separators; throws std::invalid_argument.
std::vector<std::uint8_t> fromHex(const std::string& text);

std::vector<std::uint8_t> floatBytes(float value);
std::optional<float> bytesFloat(const std::vector<std::uint8_t>& bytes);

} // namespace brisvane::SmcValueCodec
