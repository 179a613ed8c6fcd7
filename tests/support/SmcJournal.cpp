#include "tests/support/SmcJournal.h"

#include <cstring>
#include <sstream>

namespace brisvane::test {
namespace {

std::vector<std::uint8_t> fromHex(const std::string& hex)
{
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(static_cast<std::uint8_t>(std::stoul(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

float littleEndianFloat(const std::vector<std::uint8_t>& bytes)
{
    float value = 0;
    std::memcpy(&value, bytes.data(), 4); // little-endian, as is the host
    return value;
}

} // namespace

std::string writeText(const std::string& key, const std::vector<std::uint8_t>& bytes, int result)
{
    std::ostringstream line;
    line << key << '=';
    if (bytes.size() == 4)
        line << littleEndianFloat(bytes);
    else if (bytes.size() == 1)
        line << int(bytes[0]);
    else
        line << '?';
    if (result != 0)
        line << " refused 0x" << std::hex << result;
    return line.str();
}

float SmcWrite::asFloat() const
{
    const std::vector<std::uint8_t> raw = fromHex(bytes);
    return raw.size() == 4 ? littleEndianFloat(raw) : 0.0f;
}

std::string SmcWrite::text() const
{
    return writeText(key, fromHex(bytes), result);
}

std::vector<SmcWrite> smcWrites(const nlohmann::json& reply)
{
    std::vector<SmcWrite> writes;
    for (const auto& entry : reply.at("writes"))
        writes.push_back({entry.value("t", 0.0), entry.value("key", ""), entry.value("bytes", ""),
                          entry.value("result", 0)});
    return writes;
}

std::vector<std::string> writeOrder(const std::vector<SmcWrite>& writes, bool withTargets)
{
    std::vector<std::string> order;
    for (const SmcWrite& write : writes) {
        if (!withTargets && write.key.ends_with("Tg"))
            continue;
        if (const std::string text = write.text(); order.empty() || order.back() != text)
            order.push_back(text);
    }
    return order;
}

} // namespace brisvane::test
