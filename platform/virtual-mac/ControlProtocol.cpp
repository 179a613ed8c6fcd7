#include "ControlProtocol.h"

#include "SmcValueCodec.h"
#include "VirtualSmc.h"

#include <cmath>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace brisvane {
namespace {

using nlohmann::json;

// A bad request: the message goes back to the caller as the error text.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

std::vector<std::string> tokens(std::string_view line)
{
    std::istringstream in{std::string(line)};
    std::vector<std::string> words;
    for (std::string word; in >> word;)
        words.push_back(word);
    return words;
}

void expectArguments(const std::vector<std::string>& words, std::size_t count, const char* usage)
{
    if (words.size() != count + 1)
        throw UsageError(std::string("usage: ") + usage);
}

// Values come from single-precision keys; three decimals say all they hold.
double rounded(double value)
{
    return std::round(value * 1000.0) / 1000.0;
}

json optionalNumber(const std::optional<std::uint8_t>& value)
{
    return value ? json(*value) : json(nullptr);
}

json statusReply(VirtualSmc& smc)
{
    const VirtualSmcStatus status = smc.status();
    json fans = json::array();
    for (const VirtualFanStatus& fan : status.fans)
        fans.push_back({{"index", fan.index},
                        {"mode", optionalNumber(fan.mode)},
                        {"target", rounded(fan.target)},
                        {"actual", rounded(fan.actual)},
                        {"min", rounded(fan.min)},
                        {"max", rounded(fan.max)}});
    return {{"ok", true},
            {"profile", status.profile},
            {"t", rounded(status.t)},
            {"fans", fans},
            {"ftst", optionalNumber(status.ftst)},
            {"hottest", rounded(status.hottest)},
            {"load", {{"cpu", status.cpuLoad}, {"gpu", status.gpuLoad}}}};
}

json keyReply(VirtualSmc& smc, const std::string& name)
{
    const auto value = smc.key(name);
    if (!value)
        throw UsageError("no key " + name);
    json reply{{"ok", true},
               {"key", name},
               {"type", value->type},
               {"size", value->data.size()},
               {"bytes", SmcValueCodec::toHex(value->data)}};
    if (auto decoded = SmcValueCodec::decode(value->type, value->data))
        reply["value"] = *decoded;
    return reply;
}

json writesReply(VirtualSmc& smc)
{
    json writes = json::array();
    for (const SmcJournalEntry& entry : smc.takeJournal())
        writes.push_back({{"t", entry.t},
                          {"key", entry.key},
                          {"bytes", SmcValueCodec::toHex(entry.bytes)},
                          {"result", entry.result}});
    return {{"ok", true}, {"writes", writes}};
}

json dispatch(VirtualSmc& smc, const std::vector<std::string>& words)
{
    const std::string& command = words[0];
    if (command == "status") {
        expectArguments(words, 0, "status");
        return statusReply(smc);
    }
    if (command == "get") {
        expectArguments(words, 1, "get KEY");
        return keyReply(smc, words[1]);
    }
    if (command == "set") {
        expectArguments(words, 2, "set KEY HEX");
        std::vector<std::uint8_t> bytes;
        try {
            bytes = SmcValueCodec::fromHex(words[2]);
            smc.setKeyBytes(words[1], bytes);
        } catch (const std::invalid_argument& e) {
            throw UsageError(e.what());
        }
        return keyReply(smc, words[1]);
    }
    if (command == "writes") {
        expectArguments(words, 0, "writes");
        return writesReply(smc);
    }
    throw UsageError("unknown command: " + command);
}

} // namespace

json ControlProtocol::execute(VirtualSmc& smc, std::string_view line)
{
    try {
        const auto words = tokens(line);
        if (words.empty())
            throw UsageError("empty request");
        return dispatch(smc, words);
    } catch (const std::exception& e) {
        return {{"ok", false}, {"error", e.what()}};
    }
}

} // namespace brisvane
