// Figures for the virtual SMC: sustained SMC calls per second over the user-client socket (one
// and several clients), and the time of a full directory walk of the large-directory profile
// as sensor discovery does it (#KEY, a name per index, info and a read per T key).
#include "ControlClient.h"
#include "ProcessControl.h"
#include "VirtualSmc.h"

#include "smc/SMCKit.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
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
    SMCConnection connection;
    const std::uint32_t n = connection.keyCount();
    sensors = 0;
    for (std::uint32_t i = 0; i < n; ++i) {
        const std::string name = connection.keyName(i);
        if (name.starts_with("Tp") || name.starts_with("Te") || name.starts_with("Tg")) {
            const SMCValue value = connection.readBytes(name);
            sensors += value.type == "flt " && value.data.size() == 4;
        }
    }
    keys = n;
    return seconds(Steady::now() - start);
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
    namespace fs = std::filesystem;
    std::string dir = "/tmp/vmac-bench-XXXXXX";
    if (::mkdtemp(dir.data()) == nullptr)
        return 1;
    const fs::path root = dir;
    const pid_t server =
        ProcessControl::spawn({BRISVANE_BUILD_DIR "/bin/brisvane-vsmc", "serve", "--root",
                               root.string(), "--profile", "large-directory"},
                              root / "vsmc.log", {}, false);
    const auto deadline = Steady::now() + std::chrono::seconds(10);
    bool up = false;
    while (!up && Steady::now() < deadline) {
        try {
            up = ControlClient::request(root, "status", std::chrono::milliseconds(200))
                     .value("ok", false);
        } catch (const ControlClient::Error&) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    if (!up) {
        std::fprintf(stderr, "brisvane-vsmc did not come up\n");
        ProcessControl::stop(server, std::chrono::seconds(2));
        return 1;
    }

    ::setenv("BRISVANE_SYSTEM_ROOT", root.c_str(), 1);
    report("socket");
    ProcessControl::stop(server, std::chrono::seconds(5));
    fs::remove_all(root);

    VirtualSmc inProcess("large-directory");
    auto registration = inProcess.registerAsService();
    report("in-process");
    return 0;
}
