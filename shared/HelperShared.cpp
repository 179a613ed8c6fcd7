#include "HelperShared.h"

#include "smc/SystemRoot.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

namespace brisvane {
namespace {

constexpr std::array<std::pair<HelperControlPhase, std::string_view>, 4> kPhaseRawValues{{
    {HelperControlPhase::idle, "idle"},
    {HelperControlPhase::unlocking, "unlocking"},
    {HelperControlPhase::controlling, "controlling"},
    {HelperControlPhase::failed, "failed"},
}};

// Whole numbers are written without a fraction ("1200", not "1200.0"), as the other side's
// encoder writes them; -0 keeps its sign.
nlohmann::ordered_json jsonNumber(double value)
{
    constexpr double kExactIntegerLimit = 9007199254740992.0; // 2^53
    if (std::trunc(value) == value && std::fabs(value) <= kExactIntegerLimit &&
        !(value == 0 && std::signbit(value)))
        return static_cast<std::int64_t>(value);
    return value;
}

std::optional<std::vector<double>> numberArray(const nlohmann::json& value)
{
    if (!value.is_array())
        return std::nullopt;
    std::vector<double> numbers;
    numbers.reserve(value.size());
    for (const auto& element : value) {
        // is_number, not get<double>: the library would turn true into 1.
        if (!element.is_number())
            return std::nullopt;
        numbers.push_back(element.get<double>());
    }
    return numbers;
}

} // namespace

std::string_view rawValue(HelperControlPhase phase)
{
    for (const auto& [candidate, raw] : kPhaseRawValues)
        if (candidate == phase)
            return raw;
    return "idle";
}

std::optional<HelperControlPhase> helperControlPhase(std::string_view raw)
{
    for (const auto& [phase, candidate] : kPhaseRawValues)
        if (candidate == raw)
            return phase;
    return std::nullopt;
}

std::vector<std::uint8_t> HelperStatus::encode() const
{
    auto finite = [](double value) { return std::isfinite(value); };
    if (!finite(hottestSensorCelsius) ||
        !std::all_of(autoFloors.begin(), autoFloors.end(), finite) ||
        !std::all_of(effectiveTargets.begin(), effectiveTargets.end(), finite))
        return {};

    auto numbers = [](const std::vector<double>& values) {
        auto array = nlohmann::ordered_json::array();
        for (double value : values)
            array.push_back(jsonNumber(value));
        return array;
    };
    nlohmann::ordered_json document = {
        {"version", version},
        {"phase", rawValue(phase)},
        {"autoFloors", numbers(autoFloors)},
        {"effectiveTargets", numbers(effectiveTargets)},
        {"hottestSensorCelsius", jsonNumber(hottestSensorCelsius)},
    };
    if (lastError)
        document["lastError"] = *lastError;

    std::string text;
    try {
        text = document.dump();
    } catch (const nlohmann::json::exception&) {
        return {}; // text that is not valid UTF-8
    }
    return {text.begin(), text.end()};
}

std::optional<HelperStatus> HelperStatus::decode(std::span<const std::uint8_t> data)
{
    const auto document = nlohmann::json::parse(data.begin(), data.end(), nullptr, false);
    if (!document.is_object())
        return std::nullopt;

    auto field = [&](const char* key) -> const nlohmann::json* {
        auto it = document.find(key);
        return it == document.end() ? nullptr : &*it;
    };
    const auto* version = field("version");
    const auto* phase = field("phase");
    const auto* autoFloors = field("autoFloors");
    const auto* effectiveTargets = field("effectiveTargets");
    const auto* hottest = field("hottestSensorCelsius");
    const auto* lastError = field("lastError");
    if (!version || !version->is_string() || !phase || !phase->is_string() || !autoFloors ||
        !effectiveTargets || !hottest || !hottest->is_number())
        return std::nullopt;
    if (lastError && !lastError->is_null() && !lastError->is_string())
        return std::nullopt;

    HelperStatus status;
    auto decodedPhase = helperControlPhase(phase->get_ref<const std::string&>());
    auto floors = numberArray(*autoFloors);
    auto targets = numberArray(*effectiveTargets);
    if (!decodedPhase || !floors || !targets)
        return std::nullopt;
    status.version = version->get<std::string>();
    status.phase = *decodedPhase;
    status.autoFloors = std::move(*floors);
    status.effectiveTargets = std::move(*targets);
    status.hottestSensorCelsius = hottest->get<double>();
    if (lastError && lastError->is_string())
        status.lastError = lastError->get<std::string>();
    return status;
}

std::string HelperConstants::daemonPlistSystemPath()
{
    return systemPath(daemonPlistPath);
}

std::string HelperConstants::helperInstallSystemPath()
{
    return systemPath(helperInstallPath);
}

std::string HelperConstants::installerRecordSystemPath()
{
    return systemPath(installerRecordPath);
}

std::string HelperConstants::daemonSocketPath()
{
    return systemPath("/var/run/" + std::string(machServiceName) + ".socket");
}

double HelperSafetyFloor::floorPercent(double t)
{
    if (t < 60)
        return 0;
    if (t < 75)
        return ((t - 60) / 15) * 25;
    if (t < 85)
        return ((t - 75) / 10) * 45 + 25;
    if (t < 90)
        return ((t - 85) / 5) * 30 + 70;
    return 100; // also NaN, which fails every comparison above
}

} // namespace brisvane
