// Runs as root: set-up's reading of the machine.
#include "FanDiscovery.h"

#include "FirmwareUnlock.h"
#include "smc/SMCTemperatureSensors.h"

#include <charconv>

namespace brisvane {
namespace {

std::string formatNumber(double value)
{
    char text[32];
    auto [end, ec] = std::to_chars(std::begin(text), std::end(text), value);
    return ec == std::errc() ? std::string(text, end) : std::string("?");
}

template <typename T, typename Format>
std::string formatList(const std::vector<T>& items, Format format)
{
    std::string text = "[";
    bool first = true;
    for (const T& item : items) {
        std::optional<std::string> formatted = format(item);
        if (!formatted)
            continue;
        if (!first)
            text += ", ";
        first = false;
        text += *formatted;
    }
    return text + "]";
}

} // namespace

bool FanInventory::canControlFans() const
{
    if (fans.empty())
        return false;
    for (const ControlledFan& fan : fans) {
        if (!fan.modeKey())
            return false;
    }
    return true;
}

namespace FanDiscovery {

FanInventory discover(const Clock& clock)
{
    FanInventory inventory;
    inventory.smc = std::make_shared<SMCConnection>();
    SMCConnection& smc = *inventory.smc;
    int fanCount = 0;
    try {
        const SMCValue count = smc.readBytes("FNum");
        fanCount = count.data.empty() ? 0 : count.data[0];
    } catch (const SMCError& error) {
        if (error.isTransportFailure())
            throw;
    }
    inventory.sensors = std::make_unique<SMCTemperatureSensors>(inventory.smc, clock);

    try {
        for (int i = 0; i < fanCount; ++i) {
            const SMCFanReading fan = smc.readFan(i);
            inventory.fans.emplace_back(i, fan.minRPM, fan.maxRPM, fan.targetRPM);
        }
    } catch (const SMCError& error) {
        if (error.isTransportFailure())
            throw;
        inventory.fans.clear();
        for (int i = 0; i < fanCount; ++i)
            inventory.fans.push_back(ControlledFan::unread(i));
        inventory.refusal = error;
        return inventory;
    }
    for (ControlledFan& fan : inventory.fans) {
        inventory.modeKeyLookups.push_back(smc.fanModeKey(fan.index()));
        fan.setModeKey(inventory.modeKeyLookups.back());
    }
    inventory.hasForceTestKey = smc.keyExists(FirmwareUnlock::kKey);
    return inventory;
}

std::string describeMaxima(const std::vector<ControlledFan>& fans)
{
    return formatList(fans, [](const ControlledFan& fan) -> std::optional<std::string> {
        return formatNumber(fan.maxRPM());
    });
}

std::string describeModeKeys(const std::vector<ControlledFan>& fans)
{
    return formatList(fans, [](const ControlledFan& fan) { return fan.modeKey(); });
}

std::string describeLookups(const std::vector<std::optional<std::string>>& lookups)
{
    return formatList(lookups,
                      [](const std::optional<std::string>& key) -> std::optional<std::string> {
                          return key ? *key : "none";
                      });
}

} // namespace FanDiscovery
} // namespace brisvane
