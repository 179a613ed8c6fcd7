#pragma once
// Runs as root: what set-up learns of the machine: the SMC connection, the sensors, the fans with
// their ranges and mode keys, and whether the firmware has a fan unlock.

#include "ControlledFan.h"
#include "smc/SMCKit.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace brisvane {

class Clock;
class SMCTemperatureSensors;

struct FanInventory {
    std::shared_ptr<SMCConnection> smc;
    std::unique_ptr<SMCTemperatureSensors> sensors;
    std::vector<ControlledFan> fans;
    // The answer that stopped the reading of the fans (a range the SMC refused): the fans are
    // counted but unread, and nothing after them was asked.
    std::optional<SMCError> refusal;
    // Each fan's mode key as looked up, in fan order, for the log.
    std::vector<std::optional<std::string>> modeKeyLookups;
    bool hasForceTestKey = false;

    // Control needs at least one fan, and a mode key for every fan.
    bool canControlFans() const;
};

namespace FanDiscovery {

// One attempt, in the order that finds a silent SMC out soonest (FNum before the sensor
// directory walk). Throws SMCError only when the SMC did not answer; a Mac without FNum has no
// fans.
FanInventory discover(const Clock& clock);

// The texts set-up logs: "[4900, 5200]", "[F0Md, F1Md]", "[F0Md, none]".
std::string describeMaxima(const std::vector<ControlledFan>& fans);
std::string describeModeKeys(const std::vector<ControlledFan>& fans);
std::string describeLookups(const std::vector<std::optional<std::string>>& lookups);

} // namespace FanDiscovery
} // namespace brisvane
