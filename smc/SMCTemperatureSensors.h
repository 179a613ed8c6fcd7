#pragma once
// CPU and GPU die temperatures: the sensor keys are found once by walking the SMC's key
// directory, retried on a growing back-off only while a group is still empty, and read into one
// snapshot per call with gaps bridged by the last valid values.

#include "Clock.h"
#include "SMCKit.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace brisvane {

// Degrees Celsius; a group that never had a valid value reports 0.
struct SMCTemperatureSnapshot {
    double cpuAverage = 0;
    double cpuMax = 0;
    double gpuAverage = 0;
    double gpuMax = 0;
    double hottest = 0;

    friend bool operator==(const SMCTemperatureSnapshot&, const SMCTemperatureSnapshot&) = default;
};

// Used from one serial context together with its connection; the walks run synchronously inside
// the constructor and snapshot().
class SMCTemperatureSensors {
public:
    struct Counts {
        int cpu = 0;
        int gpu = 0;
        friend bool operator==(const Counts&, const Counts&) = default;
    };

    // Runs the first directory walk before returning. `clock` must outlive the object.
    explicit SMCTemperatureSensors(std::shared_ptr<SMCConnection> smc,
                                   const Clock& clock = SteadyClock::shared());

    // Never fails; may walk the directory first while a group is empty and its back-off is over.
    SMCTemperatureSnapshot snapshot();

    Counts sensorCounts() const
    {
        return {static_cast<int>(m_cpuKeys.size()), static_cast<int>(m_gpuKeys.size())};
    }
    // The sensors in directory order.
    const std::vector<std::string>& cpuKeys() const { return m_cpuKeys; }
    const std::vector<std::string>& gpuKeys() const { return m_gpuKeys; }
    // Consecutive walks that filled no empty group; sets the back-off.
    int fruitlessSweeps() const { return m_fruitlessSweeps; }

private:
    struct Stats {
        double avg = 0;
        double max = 0;
    };

    void discoverKeys();
    bool rediscoveryDue() const;
    std::optional<Stats> readStats(const std::vector<std::string>& keys);

    std::shared_ptr<SMCConnection> m_smc;
    const Clock& m_clock;
    std::vector<std::string> m_cpuKeys;
    std::vector<std::string> m_gpuKeys;
    std::optional<Stats> m_lastValidCPU;
    std::optional<Stats> m_lastValidGPU;
    // When the last walk began; none yet is the distant past.
    std::optional<Clock::time_point> m_lastDiscovery;
    int m_fruitlessSweeps = 0;
};

} // namespace brisvane
