#pragma once
// SIGINT, SIGTERM and the like as a Qt signal on the main thread: the handler only writes the
// signal's number into a pipe (async-signal-safe), and a socket notifier reads it there. One
// notifier per process; the previous handlers come back when it is destroyed.

#include <QObject>
#include <QSocketNotifier>

#include <csignal>
#include <initializer_list>
#include <memory>
#include <vector>

namespace brisvane {

class UnixSignalNotifier : public QObject {
    Q_OBJECT

public:
    explicit UnixSignalNotifier(std::initializer_list<int> signalNumbers,
                                QObject* parent = nullptr);
    ~UnixSignalNotifier() override;

signals:
    void received(int signalNumber);

private:
    void drain();

    std::vector<std::pair<int, struct sigaction>> m_previous;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace brisvane
