// Runs as root: the controller's queue, its thread and its tick timer.
#include "ControlQueue.h"

#include <asio/post.hpp>

#include <algorithm>
#include <future>

namespace brisvane {

using namespace std::chrono_literals;

ControlQueue::ControlQueue(const Clock& clock, bool ownThread)
    : m_clock(clock)
    , m_ownThread(ownThread)
    , m_work(asio::make_work_guard(m_queue))
{
    if (m_ownThread)
        m_thread = std::thread([this] { m_queue.run(); });
}

ControlQueue::~ControlQueue()
{
    m_work.reset();
    m_queue.stop();
    if (m_thread.joinable())
        m_thread.join();
}

bool ControlQueue::isRunningHere() const
{
    return m_queue.get_executor().running_in_this_thread();
}

void ControlQueue::post(std::function<void()> work)
{
    asio::post(m_queue, std::move(work));
}

std::size_t ControlQueue::poll()
{
    if (m_ownThread)
        return 0; // the control thread runs the handlers
    const std::size_t count = m_queue.poll();
    m_queue.restart();
    return count;
}

void ControlQueue::runAndWait(const std::function<void()>& work)
{
    if (isRunningHere()) {
        work();
        return;
    }
    if (!m_ownThread) {
        // The caller drives the executor: whatever was queued before still runs first.
        post(work);
        poll();
        return;
    }
    std::promise<void> done;
    std::future<void> finished = done.get_future();
    post([&] {
        try {
            work();
            done.set_value();
        } catch (...) {
            done.set_exception(std::current_exception());
        }
    });
    finished.get();
}

void ControlQueue::startTicks(std::function<void()> tick)
{
    m_tick = std::move(tick);
    m_timer = std::make_unique<asio::steady_timer>(m_queue);
    m_nextTickAt = m_clock.now() + 1s;
    scheduleNextTick();
}

void ControlQueue::scheduleNextTick()
{
    // The deadline is on the controller's clock; the real timer only says when to look at it.
    const Clock::duration remaining = std::max(m_nextTickAt - m_clock.now(), Clock::duration(0));
    m_timer->expires_after(m_clock.realWait(remaining));
    m_timer->async_wait([this](const asio::error_code& error) {
        if (error)
            return;
        const auto now = m_clock.now();
        if (now < m_nextTickAt) {
            scheduleNextTick();
            return;
        }
        m_nextTickAt = std::max(m_nextTickAt + 1s, now);
        m_tick();
        scheduleNextTick();
    });
}

} // namespace brisvane
