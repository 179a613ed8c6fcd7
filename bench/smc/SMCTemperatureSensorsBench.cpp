// What sensor discovery costs on a machine with a large key directory: SMC calls and time of the
// first walk (a fresh connection, so every key info is fetched), and of a regular snapshot.
#include "smc/SMCTemperatureSensors.h"

#include "platform/virtual-mac/VirtualSmc.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>

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
    std::uint64_t calls = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto smc = std::make_shared<SMCConnection>();
        machine->resetCallCounts();
        state.ResumeTiming();
        SMCTemperatureSensors sensors(smc, clock);
        benchmark::DoNotOptimize(sensors.sensorCounts());
        calls = machine->callCounts().total();
    }
    state.counters["smcCalls"] = static_cast<double>(calls);
    state.counters["keys"] = static_cast<double>(machine->keyCount());
    state.SetLabel(machine->profileName());
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

// The exact call count of one first walk, which the counters above print rounded.
void printWalkCost()
{
    auto machine = largeMachine();
    ManualClock clock;
    auto smc = std::make_shared<SMCConnection>();
    machine->resetCallCounts();
    const auto start = std::chrono::steady_clock::now();
    SMCTemperatureSensors sensors(smc, clock);
    const auto elapsed =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start);
    const auto counts = machine->callCounts();
    std::printf("%s: %zu keys; first walk %.3f ms, %llu SMC calls (%llu getKeyFromIndex, %llu "
                "getKeyInfo, %llu readKey); %d CPU + %d GPU sensors\n",
                machine->profileName().c_str(), machine->keyCount(), elapsed.count(),
                static_cast<unsigned long long>(counts.total()),
                static_cast<unsigned long long>(counts.getKeyFromIndex),
                static_cast<unsigned long long>(counts.getKeyInfo),
                static_cast<unsigned long long>(counts.readKey), sensors.sensorCounts().cpu,
                sensors.sensorCounts().gpu);
}

} // namespace
} // namespace brisvane

int main(int argc, char** argv)
{
    brisvane::printWalkCost();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}
