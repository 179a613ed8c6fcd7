// What SMCKit costs per pass: SMC calls per readAllFans once the key infos are cached, and the
// time of one call in-process and over a brisvane-vsmc socket.
#include "smc/SMCKit.h"

#include "BenchSupport.h"
#include "tests/support/VirtualMac.h"

#include "platform/virtual-mac/VirtualSmc.h"

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace brisvane {
namespace {

void readAllFansInProcess(benchmark::State& state)
{
    VirtualSmc machine("two-fan-laptop");
    auto registration = machine.registerAsService();
    SMCConnection smc;
    smc.readAllFans(); // warm-up fills the key-info cache
    machine.resetCallCounts();
    std::uint64_t passes = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(smc.readAllFans());
        ++passes;
    }
    state.counters["smcCallsPerPass"] =
        static_cast<double>(machine.callCounts().total()) / static_cast<double>(passes);
}
BENCHMARK(readAllFansInProcess);

void readFloatOverSocket(benchmark::State& state)
{
    test::ServedVirtualMac served;
    const test::ScopedEnv root("BRISVANE_SYSTEM_ROOT", served.root().string());
    SMCConnection smc;
    smc.readFloat("F0Ac");
    for (auto _ : state)
        benchmark::DoNotOptimize(smc.readFloat("F0Ac"));
    state.SetLabel("one SMC call per iteration");
}
BENCHMARK(readFloatOverSocket)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace brisvane

BENCHMARK_MAIN();
