#include "ControlProtocol.h"

#include "SmcValueCodec.h"
#include "VirtualSmc.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <map>
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

double number(const std::string& word, const char* what)
{
    double value = 0;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (error != std::errc() || end != word.data() + word.size() || !std::isfinite(value))
        throw UsageError(std::string(what) + " must be a number, not \"" + word + "\"");
    return value;
}

// Decimal, or hexadecimal with 0x; within [lo, hi].
long long integer(const std::string& word, const char* what, long long lo, long long hi)
{
    std::string digits = word;
    bool negative = false;
    if (!digits.empty() && digits[0] == '-') {
        negative = true;
        digits.erase(0, 1);
    }
    int base = 10;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        base = 16;
        digits.erase(0, 2);
    }
    unsigned long long magnitude = 0;
    const auto [end, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), magnitude, base);
    const bool parsed =
        !digits.empty() && error == std::errc() && end == digits.data() + digits.size();
    if (!parsed || magnitude > static_cast<unsigned long long>(hi) + (negative ? 1 : 0))
        throw UsageError(std::string(what) + " must be an integer from " + std::to_string(lo) +
                         " to " + std::to_string(hi) + ", not \"" + word + "\"");
    const long long value =
        negative ? -static_cast<long long>(magnitude) : static_cast<long long>(magnitude);
    if (value < lo || value > hi)
        throw UsageError(std::string(what) + " must be an integer from " + std::to_string(lo) +
                         " to " + std::to_string(hi) + ", not \"" + word + "\"");
    return value;
}

std::optional<int> countArgument(const std::vector<std::string>& words, std::size_t at)
{
    if (words.size() <= at)
        return std::nullopt;
    return static_cast<int>(integer(words[at], "COUNT", 1, 1000000000));
}

// Turns the model's argument checks into answers for the caller.
template <typename Action> void checked(Action action)
{
    try {
        action();
    } catch (const std::invalid_argument& e) {
        throw UsageError(e.what());
    }
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
                        {"max", rounded(fan.max)},
                        {"stalled", fan.stalled}});
    return {{"ok", true},
            {"profile", status.profile},
            {"t", rounded(status.t)},
            {"fans", fans},
            {"ftst", optionalNumber(status.ftst)},
            {"hottest", rounded(status.hottest)},
            {"load", {{"cpu", status.cpuLoad}, {"gpu", status.gpuLoad}}},
            {"dies", {{"cpu", rounded(status.cpuCelsius)}, {"gpu", rounded(status.gpuCelsius)}}},
            {"pinned", status.pinnedCelsius ? json(*status.pinnedCelsius) : json(nullptr)},
            {"acceptModeAfter",
             status.acceptModeAfterSeconds ? json(*status.acceptModeAfterSeconds) : json("never")}};
}

json violationsReply(VirtualSmc& smc)
{
    json findings = json::array();
    for (const SafetyViolation& v : smc.violations())
        findings.push_back({{"fan", v.fan},
                            {"kind", SafetyViolation::kindName(v.kind)},
                            {"from", rounded(v.from)},
                            {"to", rounded(v.to)},
                            {"seconds", v.seconds},
                            {"target", rounded(v.targetRPM)},
                            {"required", rounded(v.requiredRPM)},
                            {"hottest", rounded(v.hottestCelsius)}});
    return {{"ok", true}, {"violations", findings}};
}

json callsReply(VirtualSmc& smc)
{
    const SmcCallCounts c = smc.callCounts();
    return {{"ok", true},
            {"calls",
             {{"readKey", c.readKey},
              {"writeKey", c.writeKey},
              {"getKeyFromIndex", c.getKeyFromIndex},
              {"getKeyInfo", c.getKeyInfo},
              {"other", c.other},
              {"total", c.total()}}}};
}

json faultCommand(VirtualSmc& smc, const std::vector<std::string>& words)
{
    const char* usage = "fault KEY info|read|write RESULT [COUNT] | fault clear";
    if (words.size() == 2 && words[1] == "clear") {
        smc.clearFaults();
        return {{"ok", true}};
    }
    if (words.size() != 4 && words.size() != 5)
        throw UsageError(std::string("usage: ") + usage);
    static const std::map<std::string, SmcOperation> operations{
        {"info", SmcOperation::info}, {"read", SmcOperation::read}, {"write", SmcOperation::write}};
    const auto operation = operations.find(words[2]);
    if (operation == operations.end())
        throw UsageError(std::string("usage: ") + usage);
    const auto result = static_cast<std::uint8_t>(integer(words[3], "RESULT", 1, 255));
    checked([&] { smc.injectFault(words[1], operation->second, result, countArgument(words, 4)); });
    return {{"ok", true}};
}

json transportFaultCommand(VirtualSmc& smc, const std::vector<std::string>& words)
{
    if (words.size() == 2 && words[1] == "clear") {
        smc.clearTransportFault();
        return {{"ok", true}};
    }
    if (words.size() != 2 && words.size() != 3)
        throw UsageError("usage: transport-fault KERN [COUNT] | transport-fault clear");
    const auto code = integer(words[1], "KERN", INT32_MIN, UINT32_MAX);
    checked([&] {
        smc.injectTransportFault(static_cast<kern_return_t>(static_cast<std::uint32_t>(code)),
                                 countArgument(words, 2));
    });
    return {{"ok", true}};
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
    if (command == "load") {
        expectArguments(words, 2, "load CPU GPU");
        checked([&] { smc.setWorkload(number(words[1], "CPU"), number(words[2], "GPU")); });
        return statusReply(smc);
    }
    if (command == "temp") {
        expectArguments(words, 1, "temp C | temp auto");
        if (words[1] == "auto")
            smc.pinTemperature(std::nullopt);
        else
            checked([&] { smc.pinTemperature(number(words[1], "C")); });
        return statusReply(smc);
    }
    if (command == "firmware") {
        if (words.size() != 3 || words[1] != "accept-mode-after")
            throw UsageError("usage: firmware accept-mode-after S|never");
        if (words[2] == "never")
            smc.setModeAcceptDelay(std::nullopt);
        else
            checked([&] { smc.setModeAcceptDelay(number(words[2], "S")); });
        return statusReply(smc);
    }
    if (command == "fault")
        return faultCommand(smc, words);
    if (command == "transport-fault")
        return transportFaultCommand(smc, words);
    if (command == "latency") {
        expectArguments(words, 1, "latency MS");
        const double ms = number(words[1], "MS");
        if (ms < 0 || ms > 10000)
            throw UsageError("MS must be between 0 and 10000");
        smc.setCallLatency(ms / 1000.0);
        return {{"ok", true}};
    }
    if (command == "violations") {
        expectArguments(words, 0, "violations");
        return violationsReply(smc);
    }
    if (command == "advance") {
        expectArguments(words, 1, "advance S");
        const double seconds = number(words[1], "S");
        if (seconds < 0 || seconds > 86400)
            throw UsageError("S must be between 0 and 86400");
        smc.advance(seconds);
        return statusReply(smc);
    }
    if (command == "noise") {
        if (words.size() != 2 && words.size() != 3)
            throw UsageError("usage: noise RPM [SEED]");
        const double amplitude = number(words[1], "RPM");
        if (amplitude < 0)
            throw UsageError("RPM must not be negative");
        const auto seed = words.size() == 3 ? integer(words[2], "SEED", 0, UINT32_MAX) : 1;
        smc.setFanNoise(amplitude, static_cast<std::uint32_t>(seed));
        return {{"ok", true}};
    }
    if (command == "fan") {
        if (words.size() != 3 || (words[2] != "stall" && words[2] != "spin"))
            throw UsageError("usage: fan I stall|spin");
        const auto index = integer(words[1], "I", 0, 255);
        checked([&] { smc.setFanStalled(static_cast<int>(index), words[2] == "stall"); });
        return statusReply(smc);
    }
    if (command == "calls") {
        if (words.size() == 2 && words[1] == "reset") {
            smc.resetCallCounts();
            return {{"ok", true}};
        }
        expectArguments(words, 0, "calls [reset]");
        return callsReply(smc);
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
