#pragma once
// Runs as root: the serial queue the fan controller's state lives on, the thread that runs it and
// the 1-second tick timer. Everyone else posts work here; nothing is shared behind a lock.

#include "smc/Clock.h"

#include <asio/executor_work_guard.hpp>
#include <asio/io_context.hpp>
#include <asio/steady_timer.hpp>

#include <functional>
#include <memory>
#include <thread>

namespace brisvane {

class ControlQueue {
public:
    // With `ownThread`, a thread of its own runs the queue; without, the owner runs it with
    // poll() on its own thread, which then counts as the control thread.
    ControlQueue(const Clock& clock, bool ownThread);
    // Stops and joins the thread; handlers still queued never run.
    ~ControlQueue();
    ControlQueue(const ControlQueue&) = delete;
    ControlQueue& operator=(const ControlQueue&) = delete;

    void post(std::function<void()> work);
    // Runs `work` on the control thread and waits for it: inline when called there.
    void runAndWait(const std::function<void()>& work);
    // Every ready handler on the calling thread; 0 when a thread of its own runs them.
    std::size_t poll();
    bool isRunningHere() const;

    // Calls `tick` on the queue one second from now, then every second on `clock`; ticks missed
    // while the thread was held up are not made up in a burst.
    void startTicks(std::function<void()> tick);

private:
    void scheduleNextTick();

    const Clock& m_clock;
    const bool m_ownThread;
    // Mutable so that a const member can ask whether it is running here.
    mutable asio::io_context m_queue;
    asio::executor_work_guard<asio::io_context::executor_type> m_work;
    std::thread m_thread;
    std::unique_ptr<asio::steady_timer> m_timer;
    std::function<void()> m_tick;
    Clock::time_point m_nextTickAt; // on m_clock
};

} // namespace brisvane
