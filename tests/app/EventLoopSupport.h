#pragma once
// Waiting in tests without fixed sleeps: the main thread's event loop runs until a condition
// holds or a bound passes.

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QThread>

#include <chrono>

namespace brisvane::test {

// Processes events (timers, sockets, queued signals) until `condition` holds; false when
// `limit` passed first.
template <typename Condition>
bool processEventsUntil(Condition condition,
                        std::chrono::milliseconds limit = std::chrono::seconds(10))
{
    QDeadlineTimer deadline(limit);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QThread::msleep(1);
    }
    return true;
}

} // namespace brisvane::test
