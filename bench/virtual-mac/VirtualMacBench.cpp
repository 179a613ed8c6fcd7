// Figures for the virtual SMC: sustained SMC calls per second over the user-client socket (one
// and several clients), and the time of sensor discovery's full directory walk of the
// large-directory profile.
#include "BenchSupport.h"
#include "platform/virtual-mac/VirtualSmc.h"
#include "tests/support/VirtualMac.h"

#include "smc/SMCTemperatureSensors.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {

using namespace brisvane;
using Steady = std::chrono::steady_clock;
constexpr auto kRun = std::chrono::seconds(2);

double seconds(Steady::duration d)
{
    return std::chrono::duration<double>(d).count();
}

// Calls per second from `clients` connections, each reading one cached key over and over.
double callRate(int clients)
{
    std::atomic<long> calls{0};
    std::vector<std::thread> threads;
    const auto start = Steady::now();
    for (int c = 0; c < clients; ++c)
        threads.emplace_back([&] {
            SMCConnection connection;
            connection.keyInfo("F0Ac");
            long n = 0;
            while (Steady::now() - start < kRun) {
                connection.readBytes("F0Ac");
                ++n;
            }
            calls += n;
        });
    for (auto& t : threads)
        t.join();
    return static_cast<double>(calls) / seconds(Steady::now() - start);
}

// One walk on a fresh connection, as a new sensor reader makes it.
double walkSeconds(std::size_t& keys, int& sensors)
{
    const auto start = Steady::now();
    auto connection = std::make_shared<SMCConnection>();
    const SMCTemperatureSensors discovery(connection);
    const double elapsed = seconds(Steady::now() - start);
    keys = connection->keyCount();
    sensors = discovery.sensorCounts().cpu + discovery.sensorCounts().gpu;
    return elapsed;
}

void report(const char* where)
{
    std::size_t keys = 0;
    int sensors = 0;
    double best = 1e9;
    for (int i = 0; i < 5; ++i)
        best = std::min(best, walkSeconds(keys, sensors));
    std::printf("%-10s directory walk: %zu keys, %d die sensors, %.1f ms (best of 5)\n", where,
                keys, sensors, best * 1000);
    for (int clients : {1, 4})
        std::printf("%-10s sustained calls: %.0f per second with %d client%s\n", where,
                    callRate(clients), clients, clients == 1 ? "" : "s");
}

} // namespace

int main()
{
    {
        test::ServedVirtualMac served("large-directory");
        const test::ScopedEnv root("BRISVANE_SYSTEM_ROOT", served.root().string());
        report("socket");
    }
    VirtualSmc inProcess("large-directory");
    auto registration = inProcess.registerAsService();
    report("in-process");
    return 0;
}
