#include "ThermalModel.h"

#include "SmcValueCodec.h"

#include <algorithm>
#include <cmath>

namespace brisvane {

ThermalModel::ThermalModel(KeyDirectory& keys, const ThermalParameters& parameters,
                           double initialAirflow)
    : m_parameters(parameters)
{
    m_cpu = equilibrium(m_parameters.cpuIdleWatts, initialAirflow);
    m_gpu = equilibrium(m_parameters.gpuIdleWatts, initialAirflow);
    for (std::size_t i = 0; i < keys.size(); ++i) {
        SmcKeyEntry& key = keys.at(i);
        const bool cpu = key.name.starts_with("Tp") || key.name.starts_with("Te");
        const bool gpu = key.name.starts_with("Tg");
        if (!(cpu || gpu) || key.type != "flt " || key.size() != 4)
            continue;
        const double listed = SmcValueCodec::bytesFloat(key.bytes).value_or(0.0f);
        // A sensor listed outside the plausible range is absent on this machine; it stays so.
        if (!(listed > 1.0 && listed < 128.0))
            continue;
        m_sensors.push_back({&key, gpu, listed - (gpu ? m_gpu : m_cpu)});
    }
}

double ThermalModel::conductance(double airflow) const
{
    return m_parameters.passiveConductance +
           m_parameters.fanConductance * std::clamp(airflow, 0.0, 1.0);
}

double ThermalModel::equilibrium(double watts, double airflow) const
{
    return m_parameters.ambientCelsius + watts / conductance(airflow);
}

void ThermalModel::step(double dt, double cpuLoad, double gpuLoad, double airflow)
{
    const double decay = std::exp(-conductance(airflow) * dt / m_parameters.heatCapacity);
    auto integrate = [&](double& die, double idle, double load, double workload) {
        const double target = equilibrium(idle + load * workload, airflow);
        die = target + (die - target) * decay;
    };
    integrate(m_cpu, m_parameters.cpuIdleWatts, m_parameters.cpuLoadWatts, cpuLoad);
    integrate(m_gpu, m_parameters.gpuIdleWatts, m_parameters.gpuLoadWatts, gpuLoad);
}

void ThermalModel::publish(std::optional<double> pinnedCelsius, bool anyLoadSeen)
{
    const bool gpuDormant = m_parameters.gpuSensorsDormantUntilLoad && !anyLoadSeen;
    for (Sensor& sensor : m_sensors) {
        double value = (sensor.gpu ? m_gpu : m_cpu) + sensor.offset;
        if (pinnedCelsius)
            value = *pinnedCelsius;
        else if (sensor.gpu && gpuDormant)
            value = 0;
        sensor.key->bytes = SmcValueCodec::floatBytes(static_cast<float>(value));
    }
}

double ThermalModel::hottestSensor() const
{
    double hottest = 0;
    for (const Sensor& sensor : m_sensors) {
        hottest =
            std::max<double>(hottest, SmcValueCodec::bytesFloat(sensor.key->bytes).value_or(0));
    }
    return hottest;
}

} // namespace brisvane
