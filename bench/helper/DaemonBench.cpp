// What the daemon costs as a process in a virtual Mac: the round trip of a call over its socket,
// its CPU time per minute and its wake-ups per second while idle and while controlling (the app's
// 2-second heartbeat running), and its resident memory.
//
//   helper_daemon_bench [--window SECONDS] [--calls N]
#include "HelperWireClient.h"

#include "platform/virtual-mac/ControlClient.h"
#include "platform/virtual-mac/ProcessControl.h"
#include "shared/HelperShared.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

using namespace brisvane;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

std::filesystem::path buildBinary(const std::string& relative)
{
    return std::filesystem::path(BRISVANE_BUILD_DIR) / relative;
}

bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit)
{
    const auto deadline = Clock::now() + limit;
    while (!condition()) {
        if (Clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

// utime + stime of the whole process, in clock ticks (fields 14 and 15 of /proc/PID/stat).
long long cpuTicks(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto afterName = text.rfind(')'); // the command name may hold spaces
    std::istringstream fields(text.substr(afterName + 2));
    std::string field;
    long long utime = 0, stime = 0;
    for (int index = 3; fields >> field; ++index) {
        if (index == 14)
            utime = std::stoll(field);
        if (index == 15) {
            stime = std::stoll(field);
            break;
        }
    }
    return utime + stime;
}

long long statusField(const std::filesystem::path& file, const std::string& name)
{
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(name + ":", 0) == 0)
            return std::stoll(line.substr(name.size() + 1));
    }
    return 0;
}

// Time on a CPU of every thread, in nanoseconds (the first field of each task's schedstat): finer
// than the clock ticks of stat, which an idle daemon barely registers in a short window.
long long cpuNanoseconds(pid_t pid)
{
    long long total = 0;
    const std::filesystem::path tasks = "/proc/" + std::to_string(pid) + "/task";
    for (const auto& task : std::filesystem::directory_iterator(tasks)) {
        std::ifstream in(task.path() / "schedstat");
        long long onCpu = 0;
        if (in >> onCpu)
            total += onCpu;
    }
    return total;
}

// Voluntary and involuntary context switches of every thread: each is a wake-up.
long long contextSwitches(pid_t pid)
{
    long long total = 0;
    const std::filesystem::path tasks = "/proc/" + std::to_string(pid) + "/task";
    for (const auto& task : std::filesystem::directory_iterator(tasks)) {
        total += statusField(task.path() / "status", "voluntary_ctxt_switches");
        total += statusField(task.path() / "status", "nonvoluntary_ctxt_switches");
    }
    return total;
}

long long residentKiB(pid_t pid)
{
    return statusField("/proc/" + std::to_string(pid) + "/status", "VmRSS");
}

struct Window {
    double cpuSecondsPerMinute;        // from stat's clock ticks
    double cpuPreciseSecondsPerMinute; // from schedstat
    double wakeupsPerSecond;
};

Window measure(pid_t pid, std::chrono::seconds length)
{
    const long long ticksBefore = cpuTicks(pid);
    const long long nanosBefore = cpuNanoseconds(pid);
    const long long switchesBefore = contextSwitches(pid);
    const auto start = Clock::now();
    std::this_thread::sleep_for(length);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const double cpu = static_cast<double>(cpuTicks(pid) - ticksBefore) /
                       static_cast<double>(::sysconf(_SC_CLK_TCK));
    const double precise = static_cast<double>(cpuNanoseconds(pid) - nanosBefore) / 1e9;
    return {cpu / seconds * 60.0, precise / seconds * 60.0,
            static_cast<double>(contextSwitches(pid) - switchesBefore) / seconds};
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
        const auto start = Clock::now();
        call();
        micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
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

    std::string pattern = "/tmp/vmac-bench-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::filesystem::path root = pattern;
    std::filesystem::create_directories(root / "var/log");

    const pid_t vsmc = ProcessControl::spawn(
        {buildBinary("bin/brisvane-vsmc").string(), "serve", "--root", root.string()},
        root / "var/log/brisvane-vsmc.log", {}, false);
    const bool vsmcUp = waitFor(
        [&] {
            try {
                return ControlClient::request(root, "status", 200ms).value("ok", false);
            } catch (const ControlClient::Error&) {
                return false;
            }
        },
        10s);
    ControlClient::request(root, "firmware accept-mode-after 0");

    // No system bus: the figures are the daemon's own, not a D-Bus connection's.
    const pid_t daemon = ProcessControl::spawn(
        {buildBinary("libexec/brisvane/BrisvaneHelper").string()},
        root / "var/log/BrisvaneHelper.log",
        {{"BRISVANE_SYSTEM_ROOT", root.string()},
         {"DBUS_SYSTEM_BUS_ADDRESS", "unix:path=" + (root / "var/run/dbus/none").string()}},
        false);
    const std::string socketPath =
        (root / "var/run" / (std::string(HelperConstants::machServiceName) + ".socket")).string();
    const bool daemonUp = vsmcUp && waitFor(
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
        std::fprintf(stderr, "the virtual Mac or the daemon did not come up (logs in %s)\n",
                     root.c_str());
        status = 1;
    } else {
        std::printf("BrisvaneHelper %s, pid %d, two-fan-laptop, windows of %lld s\n\n",
                    std::string(HelperConstants::helperVersion).c_str(), daemon,
                    static_cast<long long>(window.count()));
        // Past start-up: the first tick and set-up are behind us.
        std::this_thread::sleep_for(2s);
        const Window idle = measure(daemon, window);
        const long long idleRss = residentKiB(daemon);

        test::HelperWireClient app(socketPath);
        printLatency("status round trip (idle)", roundTrips(calls, [&] { app.statusData(); }));
        app.setTargets({3000, 3000});
        waitFor([&] { return app.status().isControlling(); }, 10s);
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
        const long long controllingRss = residentKiB(daemon);
        done = true;
        heartbeat.join();

        std::printf("\n%-34s %14s %14s %12s %10s\n", "", "CPU s/min", "(stat ticks)", "wake-ups/s",
                    "VmRSS KiB");
        const auto row = [](const char* name, const Window& w, long long rss) {
            std::printf("%-34s %14.4f %14.3f %12.1f %10lld\n", name, w.cpuPreciseSecondsPerMinute,
                        w.cpuSecondsPerMinute, w.wakeupsPerSecond, rss);
        };
        row("idle", idle, idleRss);
        row("controlling (heartbeat every 2 s)", controlling, controllingRss);
    }

    ProcessControl::stop(daemon, 5s);
    ProcessControl::stop(vsmc, 5s);
    if (status == 0)
        std::filesystem::remove_all(root);
    return status;
}
