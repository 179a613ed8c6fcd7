// What SMCKit costs per pass: SMC calls per readAllFans once the key infos are cached, and the
// time of one call in-process and over a brisvane-vsmc socket.
#include "smc/SMCKit.h"

#include "platform/virtual-mac/VirtualSmc.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include <sys/wait.h>
#include <unistd.h>

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

// brisvane-vsmc in a temporary root for the life of the benchmark.
class ServedMachine {
public:
    ServedMachine()
    {
        char pattern[] = "/tmp/bench-smc-XXXXXX";
        m_root = ::mkdtemp(pattern);
        m_pid = ::fork();
        if (m_pid == 0) {
            const std::string vsmc = BRISVANE_BUILD_DIR "/bin/brisvane-vsmc";
            ::execl(vsmc.c_str(), vsmc.c_str(), "serve", "--root", m_root.c_str(), "--profile",
                    "two-fan-laptop", static_cast<char*>(nullptr));
            std::_Exit(127);
        }
        ::setenv("BRISVANE_SYSTEM_ROOT", m_root.c_str(), 1);
        for (int i = 0; i < 500 && !std::filesystem::exists(m_root / "var/run/iokit/vsmc.control");
             ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ~ServedMachine()
    {
        ::kill(m_pid, SIGTERM);
        ::waitpid(m_pid, nullptr, 0);
        ::unsetenv("BRISVANE_SYSTEM_ROOT");
        std::filesystem::remove_all(m_root);
    }

private:
    std::filesystem::path m_root;
    pid_t m_pid = -1;
};

void readFloatOverSocket(benchmark::State& state)
{
    ServedMachine served;
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
