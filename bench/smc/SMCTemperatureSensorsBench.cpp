// What sensor discovery costs on a machine with a large key directory: SMC calls and time of the
// first walk (a fresh connection, so every key info is fetched), and of a regular snapshot.
#include "smc/SMCTemperatureSensors.h"

#include "platform/virtual-mac/VirtualSmc.h"

#include <benchmark/benchmark.h>

namespace brisvane {
namespace {

std::shared_ptr<VirtualSmc> largeMachine()
{
    static auto machine = std::make_shared<VirtualSmc>("large-directory");
    static auto registration = machine->registerAsService();
    return machine;
}

void directoryWalk(benchmark::State& state)
{
    auto machine = largeMachine();
    ManualClock clock;
    SmcCallCounts calls;
    for (auto _ : state) {
        state.PauseTiming();
        auto smc = std::make_shared<SMCConnection>();
        machine->resetCallCounts();
        state.ResumeTiming();
        SMCTemperatureSensors sensors(smc, clock);
        benchmark::DoNotOptimize(sensors.sensorCounts());
        calls = machine->callCounts();
    }
    // In the label, as counters print large numbers rounded.
    const auto n = [](std::uint64_t value) { return std::to_string(value); };
    state.SetLabel(machine->profileName() + ", " + n(machine->keyCount()) + " keys: " +
                   n(calls.total()) + " SMC calls (" + n(calls.getKeyFromIndex) + " by index, " +
                   n(calls.getKeyInfo) + " key info, " + n(calls.readKey) + " reads)");
}
BENCHMARK(directoryWalk)->Unit(benchmark::kMillisecond);

void snapshot(benchmark::State& state)
{
    auto machine = largeMachine();
    ManualClock clock;
    SMCTemperatureSensors sensors(std::make_shared<SMCConnection>(), clock);
    machine->resetCallCounts();
    for (auto _ : state)
        benchmark::DoNotOptimize(sensors.snapshot());
    state.counters["smcCallsPerSnapshot"] = benchmark::Counter(
        static_cast<double>(machine->callCounts().total()), benchmark::Counter::kAvgIterations);
    state.counters["sensors"] =
        static_cast<double>(sensors.sensorCounts().cpu + sensors.sensorCounts().gpu);
}
BENCHMARK(snapshot)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace brisvane

BENCHMARK_MAIN();
