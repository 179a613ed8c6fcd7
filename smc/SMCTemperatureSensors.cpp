#include "SMCTemperatureSensors.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace brisvane {
namespace {

enum class SensorGroup { none, cpu, gpu };

SensorGroup classify(const std::string& name)
{
    if (name.starts_with("Tp") || name.starts_with("Te"))
        return SensorGroup::cpu;
    if (name.starts_with("Tg"))
        return SensorGroup::gpu;
    return SensorGroup::none;
}

// A plausible die temperature from a key, or nothing: unreadable, not a 4-byte "flt ", or outside
// (1, 128) °C, which also refuses NaN. Unpopulated sensors read 0; others report junk.
std::optional<double> sensorCelsius(SMCConnection& smc, const std::string& key)
{
    SMCValue value;
    try {
        value = smc.readBytes(key);
    } catch (const SMCError&) {
        return std::nullopt;
    }
    if (value.type != "flt " || value.data.size() != 4)
        return std::nullopt;
    const std::uint32_t bits = std::uint32_t(value.data[0]) | std::uint32_t(value.data[1]) << 8 |
                               std::uint32_t(value.data[2]) << 16 |
                               std::uint32_t(value.data[3]) << 24;
    float celsius;
    std::memcpy(&celsius, &bits, sizeof celsius);
    if (!(celsius > 1.0f && celsius < 128.0f))
        return std::nullopt;
    return celsius;
}

} // namespace

SMCTemperatureSensors::SMCTemperatureSensors(std::shared_ptr<SMCConnection> smc, const Clock& clock)
    : m_smc(std::move(smc))
    , m_clock(clock)
{
    discoverKeys();
}

void SMCTemperatureSensors::discoverKeys()
{
    std::uint32_t keyCount = 0;
    try {
        const SMCValue count = m_smc->readBytes("#KEY");
        if (count.data.size() != 4)
            return;
        keyCount = std::uint32_t(count.data[0]) << 24 | std::uint32_t(count.data[1]) << 16 |
                   std::uint32_t(count.data[2]) << 8 | std::uint32_t(count.data[3]);
    } catch (const SMCError&) {
        // Not a walk at all: the gate stays open and the next snapshot tries again.
        return;
    }

    m_lastDiscovery = m_clock.now();
    const bool cpuWasEmpty = m_cpuKeys.empty();
    const bool gpuWasEmpty = m_gpuKeys.empty();

    std::vector<std::string> cpu;
    std::vector<std::string> gpu;
    for (std::uint32_t index = 0; index < keyCount; ++index) {
        std::string name;
        try {
            name = m_smc->keyName(index);
        } catch (const SMCError&) {
            continue;
        }
        const SensorGroup group = classify(name);
        if (group == SensorGroup::none || !sensorCelsius(*m_smc, name))
            continue;
        (group == SensorGroup::cpu ? cpu : gpu).push_back(std::move(name));
    }

    // A walk that finds nothing for a group keeps the sensors an earlier walk found.
    if (!cpu.empty())
        m_cpuKeys = std::move(cpu);
    if (!gpu.empty())
        m_gpuKeys = std::move(gpu);

    if ((cpuWasEmpty && !m_cpuKeys.empty()) || (gpuWasEmpty && !m_gpuKeys.empty()))
        m_fruitlessSweeps = 0;
    else
        ++m_fruitlessSweeps;
}

bool SMCTemperatureSensors::rediscoveryDue() const
{
    if (!m_lastDiscovery)
        return true;
    const double elapsed = Clock::secondsBetween(*m_lastDiscovery, m_clock.now());
    const bool onlyGpuMissing = !m_cpuKeys.empty();
    // The CPU drives the curves, so a missing CPU group is retried far sooner than a missing GPU.
    double interval = std::exp2(std::min(m_fruitlessSweeps, 12));
    if (onlyGpuMissing)
        interval *= 60;
    const double cap = onlyGpuMissing ? 3600 : 300;
    return elapsed >= std::min(interval, cap);
}

std::optional<SMCTemperatureSensors::Stats>
SMCTemperatureSensors::readStats(const std::vector<std::string>& keys)
{
    double sum = 0;
    double max = 0;
    int count = 0;
    for (const auto& key : keys) {
        const auto celsius = sensorCelsius(*m_smc, key);
        if (!celsius)
            continue;
        sum += *celsius;
        max = std::max(max, *celsius);
        ++count;
    }
    if (count == 0)
        return std::nullopt;
    return Stats{sum / count, max};
}

SMCTemperatureSnapshot SMCTemperatureSensors::snapshot()
{
    if ((m_cpuKeys.empty() || m_gpuKeys.empty()) && rediscoveryDue())
        discoverKeys();

    auto bridged = [](std::optional<Stats> fresh, std::optional<Stats>& lastValid) {
        if (fresh)
            lastValid = fresh;
        return lastValid.value_or(Stats{});
    };
    const Stats cpu = bridged(readStats(m_cpuKeys), m_lastValidCPU);
    const Stats gpu = bridged(readStats(m_gpuKeys), m_lastValidGPU);
    return {cpu.avg, cpu.max, gpu.avg, gpu.max, std::max(cpu.max, gpu.max)};
}

} // namespace brisvane
