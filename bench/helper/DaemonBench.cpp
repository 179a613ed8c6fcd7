// What the daemon costs as a process in a virtual Mac: the round trip of a call over its socket,
// its CPU time per minute and its wake-ups per second while idle and while controlling (the app's
// 2-second heartbeat running), and its resident memory.
//
//   helper_daemon_bench [--window SECONDS] [--calls N]
#include "BenchSupport.h"
#include "tests/e2e/HelperWireClient.h"
#include "tests/support/VirtualMac.h"

#include "platform/virtual-mac/ProcessControl.h"
#include "shared/HelperShared.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

using namespace brisvane;
using namespace std::chrono_literals;
using Steady = std::chrono::steady_clock;

namespace {

struct Window {
    double cpuSecondsPerMinute; // from schedstat
    double wakeupsPerSecond;
};

Window measure(pid_t pid, std::chrono::seconds length)
{
    const long long nanosBefore = bench::cpuNanoseconds(pid);
    const long long switchesBefore = bench::contextSwitches(pid);
    const auto start = Steady::now();
    std::this_thread::sleep_for(length);
    const double seconds = std::chrono::duration<double>(Steady::now() - start).count();
    const double cpu = static_cast<double>(bench::cpuNanoseconds(pid) - nanosBefore) / 1e9;
    return {cpu / seconds * 60.0,
            static_cast<double>(bench::contextSwitches(pid) - switchesBefore) / seconds};
}

double percentile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(p / 100.0 * static_cast<double>(values.size() - 1));
    return values[index];
}

void printLatency(const char* name, const std::vector<double>& micros)
{
    std::printf("%-34s p50 %8.1f us   p99 %8.1f us   max %8.1f us   (%zu calls)\n", name,
                percentile(micros, 50), percentile(micros, 99), percentile(micros, 100),
                micros.size());
}

template <typename Call> std::vector<double> roundTrips(int count, Call call)
{
    std::vector<double> micros;
    micros.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const auto start = Steady::now();
        call();
        micros.push_back(std::chrono::duration<double, std::micro>(Steady::now() - start).count());
    }
    return micros;
}

} // namespace

int main(int argc, char** argv)
{
    std::chrono::seconds window = 10s;
    int calls = 2000;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--window")
            window = std::chrono::seconds(std::max(1, std::atoi(argv[i + 1])));
        else if (option == "--calls")
            calls = std::max(10, std::atoi(argv[i + 1]));
    }

    test::ServedVirtualMac vsmc;
    const std::filesystem::path& root = vsmc.root();
    vsmc.control("firmware accept-mode-after 0");

    // No system bus: the figures are the daemon's own, not a D-Bus connection's.
    const std::filesystem::path log = root / "BrisvaneHelper.log";
    const pid_t daemon =
        ProcessControl::spawn({test::buildPath("libexec/brisvane/BrisvaneHelper").string()}, log,
                              {{"BRISVANE_SYSTEM_ROOT", root.string()},
                               {"DBUS_SYSTEM_BUS_ADDRESS", test::systemBusAddress(root)}},
                              false);
    const std::string socketPath =
        (root / "var/run" / (std::string(HelperConstants::machServiceName) + ".socket")).string();
    const bool daemonUp = test::eventually(
        [&] {
            try {
                test::HelperWireClient(socketPath).statusData();
                return true;
            } catch (const test::HelperWireClient::Error&) {
                return false;
            }
        },
        10s);
    int status = 0;
    if (!daemonUp) {
        std::fprintf(stderr, "the daemon did not come up:\n%s\n", test::readFile(log).c_str());
        status = 1;
    } else {
        std::printf("BrisvaneHelper %s, pid %d, two-fan-laptop, windows of %lld s\n\n",
                    std::string(HelperConstants::helperVersion).c_str(), daemon,
                    static_cast<long long>(window.count()));
        // Past start-up: the first tick and set-up are behind us.
        std::this_thread::sleep_for(2s);
        const Window idle = measure(daemon, window);
        const long idleRss = bench::memoryKiB(std::to_string(daemon)).first;

        test::HelperWireClient app(socketPath);
        printLatency("status round trip (idle)", roundTrips(calls, [&] { app.statusData(); }));
        app.setTargets({3000, 3000});
        test::eventually([&] { return app.status().isControlling(); }, 10s);
        printLatency("setTargets round trip (controlling)", roundTrips(calls, [&] {
                         app.setTargets({3000, 3100});
                     }));

        // The app's heartbeat keeps control for the whole window.
        std::atomic<bool> done{false};
        std::thread heartbeat([&] {
            test::HelperWireClient client(socketPath);
            while (!done) {
                client.setTargets({3000, 3100});
                for (int i = 0; i < 200 && !done; ++i)
                    std::this_thread::sleep_for(10ms);
            }
        });
        const Window controlling = measure(daemon, window);
        const long controllingRss = bench::memoryKiB(std::to_string(daemon)).first;
        done = true;
        heartbeat.join();

        std::printf("\n%-34s %14s %12s %10s\n", "", "CPU s/min", "wake-ups/s", "RSS KiB");
        const auto row = [](const char* name, const Window& w, long rss) {
            std::printf("%-34s %14.4f %12.1f %10ld\n", name, w.cpuSecondsPerMinute,
                        w.wakeupsPerSecond, rss);
        };
        row("idle", idle, idleRss);
        row("controlling (heartbeat every 2 s)", controlling, controllingRss);
    }

    ProcessControl::stop(daemon, 5s);
    return status;
}
