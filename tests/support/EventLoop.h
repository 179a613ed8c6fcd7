#pragma once
// For suites with a Qt event loop: include only where Qt is linked.

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QThread>

#include <chrono>

namespace brisvane::test {

// eventually() for the main thread: timers, sockets, queued signals and deferred deletes run
// while it waits.
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
