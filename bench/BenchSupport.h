#pragma once
// What several benchmarks measure the same way: a process's CPU time, wake-ups and memory from
// /proc, and a brisvane-vsmc served into a temporary root; the rest comes from the test support.

#include "platform/virtual-mac/ControlClient.h"
#include "platform/virtual-mac/ProcessControl.h"
#include "tests/support/Environment.h"
#include "tests/support/Eventually.h"
#include "tests/support/Files.h"
#include "tests/support/Process.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

#include <sys/resource.h>
#include <unistd.h>

namespace brisvane::bench {

// User and system time of this process, every thread.
inline double processCpuSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// A "Name: value" field of a /proc status file.
inline long long statusField(const std::filesystem::path& file, const std::string& name)
{
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);)
        if (line.rfind(name + ":", 0) == 0)
            return std::stoll(line.substr(name.size() + 1));
    return 0;
}

// Summed over the threads of `pid`: time on a CPU in nanoseconds (schedstat, finer than the clock
// ticks of stat, which an idle process barely registers), or its context switches (each a wake-up).
inline long long cpuNanoseconds(pid_t pid)
{
    long long total = 0;
    for (const auto& task :
         std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/task")) {
        std::ifstream in(task.path() / "schedstat");
        long long onCpu = 0;
        if (in >> onCpu)
            total += onCpu;
    }
    return total;
}

inline long long contextSwitches(pid_t pid)
{
    long long total = 0;
    for (const auto& task :
         std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/task"))
        for (const char* field : {"voluntary_ctxt_switches", "nonvoluntary_ctxt_switches"})
            total += statusField(task.path() / "status", field);
    return total;
}

// "Rss" and "Pss" of a process in KiB (/proc/PID/smaps_rollup); -1 when unreadable.
inline std::pair<long, long> memoryKiB(const std::string& pid = "self")
{
    const std::filesystem::path file = "/proc/" + pid + "/smaps_rollup";
    const long rss = statusField(file, "Rss"), pss = statusField(file, "Pss");
    return {rss > 0 ? rss : -1, pss > 0 ? pss : -1};
}

// brisvane-vsmc serving `profile` into a fresh folder under /tmp, stopped and removed at the end.
class ServedVsmc {
public:
    explicit ServedVsmc(const std::string& profile = "two-fan-laptop")
    {
        std::string pattern = "/tmp/vmac-bench-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr)
            return;
        m_root = pattern;
        std::filesystem::create_directories(m_root / "var/log");
        m_pid = ProcessControl::spawn({BRISVANE_BUILD_DIR "/bin/brisvane-vsmc", "serve", "--root",
                                       m_root.string(), "--profile", profile},
                                      m_root / "var/log/brisvane-vsmc.log", {}, false);
        m_up = test::eventually(
            [&] {
                try {
                    return ControlClient::request(m_root, "status", std::chrono::milliseconds(200))
                        .value("ok", false);
                } catch (const ControlClient::Error&) {
                    return false;
                }
            },
            std::chrono::seconds(10));
    }
    ~ServedVsmc()
    {
        if (m_pid > 0)
            ProcessControl::stop(m_pid, std::chrono::seconds(5));
        if (m_keep || m_root.empty())
            return;
        std::error_code ignored;
        std::filesystem::remove_all(m_root, ignored);
    }
    bool up() const { return m_up; }
    const std::filesystem::path& root() const { return m_root; }
    // Keeps the folder and its logs for a look after a failure.
    void keep() { m_keep = true; }

private:
    std::filesystem::path m_root;
    pid_t m_pid = -1;
    bool m_up = false;
    bool m_keep = false;
};

} // namespace brisvane::bench
