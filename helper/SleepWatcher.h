#pragma once
// Runs as root: system sleep on Linux. logind announces sleep with PrepareForSleep(true) and
// waits for every delay inhibitor lock to be closed; the watcher holds one such lock and closes it
// only after the fans are released, as a Mac daemon answers "will sleep" only after the release.

#include <systemd/sd-bus.h>

#include <functional>
#include <thread>

namespace brisvane {

class HelperLog;

class SleepWatcher {
public:
    // Runs on the watcher's thread when the system is about to sleep; the lock is held until it
    // returns.
    using BeforeSleep = std::function<void()>;

    static constexpr const char* kInhibitWhat = "sleep";
    static constexpr const char* kInhibitWho = "Brisvane";
    static constexpr const char* kInhibitWhy = "hand the fans back to macOS before sleep";
    static constexpr const char* kInhibitMode = "delay";

    SleepWatcher(BeforeSleep beforeSleep, HelperLog& log);
    // Stops and joins the thread (never reached in the daemon, whose watcher lives for ever).
    ~SleepWatcher();
    SleepWatcher(const SleepWatcher&) = delete;
    SleepWatcher& operator=(const SleepWatcher&) = delete;

    // Starts the thread: it connects to the system bus (DBUS_SYSTEM_BUS_ADDRESS, else the
    // standard socket), takes the lock and waits for logind. With no system bus or no logind the
    // thread ends at once and nothing is logged.
    void start();

private:
    void run();
    void serve(sd_bus* bus);
    // Opens a delay lock; false (with `error` filled) when logind refuses or is not there.
    bool takeLock(sd_bus* bus, sd_bus_error* error);
    void closeLock();
    static int onPrepareForSleep(sd_bus_message* message, void* self, sd_bus_error* error);
    void prepareForSleep(sd_bus* bus, bool sleeping);

    BeforeSleep m_beforeSleep;
    HelperLog& m_log;
    int m_stopFd = -1; // an eventfd the destructor signals
    int m_lockFd = -1; // the inhibitor lock, -1 while none is held
    std::thread m_thread;
};

} // namespace brisvane
