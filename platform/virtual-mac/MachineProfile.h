#pragma once
// A machine the virtual SMC plays, read from profiles/NAME.json: the key directory and the
// parameters of its firmware, fans and thermal behaviour. The format is in README.md.

#include "KeyDirectory.h"

#include <nlohmann/json.hpp>

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace brisvane {

class ProfileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct FirmwareBehaviour {
    // Seconds after the Ftst unlock before a manual mode write is taken; nothing means never.
    std::optional<double> acceptModeAfterSeconds = 3.0;
    // The firmware's own fan curve: hottest die temperature (°C) → fraction 0…1 of the range.
    std::vector<std::pair<double, double>> curve{{50, 0.0}, {70, 0.25}, {92, 1.0}};
};

struct FanDynamics {
    double lagSeconds = 1.2; // time constant of the actual speed following the target
    double noiseRPM = 8;     // half-width of the uniform jitter on F<i>Ac; 0 turns it off
    std::uint32_t noiseSeed = 1;
};

// One lumped heat capacity per die; the cooling conductance grows with the airflow, taken as
// the mean of actual/max over the fans (zero on a fanless machine).
struct ThermalParameters {
    double ambientCelsius = 25;
    double cpuIdleWatts = 17, cpuLoadWatts = 63;
    double gpuIdleWatts = 15, gpuLoadWatts = 55;
    double heatCapacity = 20;          // J/K; with ~1 W/K the die settles over about a minute
    double passiveConductance = 0.886; // W/K with the fans stopped
    double fanConductance = 0.568;     // W/K added at full airflow
    bool gpuSensorsDormantUntilLoad = false;
};

struct MachineProfile {
    std::string name;
    std::string description;
    std::string serviceClass = "AppleSMCKeysEndpoint";
    KeyDirectory keys;
    FirmwareBehaviour firmware;
    FanDynamics fans;
    ThermalParameters thermal;

    // Throws ProfileError naming the file and the offending entry.
    static MachineProfile load(const std::filesystem::path& file);
    // NAME.json from directory(); the name is letters, digits, '-' and '_' only.
    static MachineProfile loadNamed(const std::string& name);
    static MachineProfile fromJson(const nlohmann::json& document, const std::string& name,
                                   const std::filesystem::path& baseDirectory);
    // BRISVANE_VSMC_PROFILES, else share/brisvane/virtual-mac/profiles beside the running
    // program (in the build tree as when installed: no tree's path is built in).
    static std::filesystem::path directory();
};

} // namespace brisvane
