#pragma once
// What several benchmarks measure the same way: a process's CPU time, wake-ups and memory from
// /proc; served virtual Macs (tests/support/VirtualMac.h) and the rest come from the test support.

#include "tests/support/Environment.h"
#include "tests/support/Eventually.h"
#include "tests/support/Files.h"
#include "tests/support/Process.h"

#include <filesystem>
#include <fstream>
#include <string>

#include <sys/resource.h>
#include <sys/types.h>

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

} // namespace brisvane::bench
