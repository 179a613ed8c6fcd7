#pragma once
// The monotonic clock behind every interval the system measures (sensor back-off, takeover
// deadline, heartbeat). Tests drive a ManualClock instead of waiting.

#include <algorithm>
#include <atomic>
#include <chrono>

namespace brisvane {

class Clock {
public:
    using time_point = std::chrono::steady_clock::time_point;
    using duration = std::chrono::steady_clock::duration;

    virtual ~Clock() = default;
    virtual time_point now() const = 0;
    // How long a timer waits in real time before it reads this clock again, with `remaining`
    // left until its deadline: all of it for a clock that moves with real time.
    virtual duration realWait(duration remaining) const { return remaining; }

    // Seconds between two readings, as the system's double-valued intervals.
    static double secondsBetween(time_point from, time_point to)
    {
        return std::chrono::duration<double>(to - from).count();
    }
};

class SteadyClock final : public Clock {
public:
    time_point now() const override { return std::chrono::steady_clock::now(); }
    static SteadyClock& shared()
    {
        static SteadyClock* instance = new SteadyClock; // outlives atexit handlers
        return *instance;
    }
};

// Starts at an arbitrary fixed point and moves only when told; safe to read from any thread.
// Timers over it look at it every millisecond, so that a deadline passed by advance() is seen
// at once.
class ManualClock final : public Clock {
public:
    time_point now() const override { return time_point(duration(m_ticks.load())); }
    duration realWait(duration remaining) const override
    {
        return std::min(remaining, duration(std::chrono::milliseconds(1)));
    }
    void advance(duration by) { m_ticks += by.count(); }
    void advanceSeconds(double seconds)
    {
        advance(std::chrono::duration_cast<duration>(std::chrono::duration<double>(seconds)));
    }

private:
    std::atomic<duration::rep> m_ticks{
        std::chrono::duration_cast<duration>(std::chrono::hours(1000)).count()};
};

} // namespace brisvane
