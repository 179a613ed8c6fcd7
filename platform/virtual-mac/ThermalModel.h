#pragma once
// The dies' temperatures and the sensor keys that report them. Each die (CPU, GPU) is one heat
// capacity heated by its workload and cooled towards ambient through a conductance that grows
// with the fans' airflow. Every Tp/Te (CPU) and Tg (GPU) "flt " sensor reads its die's
// temperature plus the offset it had in the profile, so the idle machine reads as listed.

#include "KeyDirectory.h"
#include "MachineProfile.h"

#include <optional>
#include <vector>

namespace brisvane {

class ThermalModel {
public:
    // Starts each die at its idle equilibrium for `initialAirflow` (0…1).
    ThermalModel(KeyDirectory& keys, const ThermalParameters& parameters, double initialAirflow);

    // Workloads 0…1; the temperatures integrate exactly over `dt` for the given airflow.
    void step(double dt, double cpuLoad, double gpuLoad, double airflow);
    // Writes every sensor key: pinned, dormant (GPU before any load) or modelled.
    void publish(std::optional<double> pinnedCelsius, bool anyLoadSeen);

    double cpuCelsius() const { return m_cpu; }
    double gpuCelsius() const { return m_gpu; }
    // The hottest die sensor reading, as the firmware and the safety monitor judge it.
    double hottestSensor() const;

private:
    struct Sensor {
        SmcKeyEntry* key;
        bool gpu;
        double offset;
    };
    double equilibrium(double watts, double airflow) const;
    double conductance(double airflow) const;

    ThermalParameters m_parameters;
    std::vector<Sensor> m_sensors;
    double m_cpu = 0;
    double m_gpu = 0;
};

} // namespace brisvane
