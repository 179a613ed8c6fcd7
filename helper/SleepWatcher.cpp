// Runs as root: logind's sleep announcements over sd-bus, on a thread of its own.
#include "SleepWatcher.h"

#include "HelperLog.h"

#include <systemd/sd-bus.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <memory>
#include <stdexcept>

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace brisvane {
namespace {

constexpr const char* kLogindService = "org.freedesktop.login1";
constexpr const char* kLogindPath = "/org/freedesktop/login1";
constexpr const char* kLogindManager = "org.freedesktop.login1.Manager";

struct BusCloser {
    void operator()(sd_bus* bus) const { sd_bus_flush_close_unref(bus); }
};
using BusPointer = std::unique_ptr<sd_bus, BusCloser>;

struct ErrorGuard {
    // All zero, as SD_BUS_ERROR_NULL spells it; that macro is a C compound literal, which
    // clang's -Wpedantic refuses in C++.
    sd_bus_error error{};
    ~ErrorGuard() { sd_bus_error_free(&error); }
    const char* text() const
    {
        return error.message ? error.message : (error.name ? error.name : "unknown error");
    }
};

// sd_bus_get_timeout's absolute CLOCK_MONOTONIC microseconds as poll's milliseconds.
int pollTimeoutMs(sd_bus* bus)
{
    std::uint64_t deadline = 0;
    if (sd_bus_get_timeout(bus, &deadline) < 0 || deadline == UINT64_MAX)
        return -1;
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    const std::uint64_t nowUs = static_cast<std::uint64_t>(now.tv_sec) * 1000000u +
                                static_cast<std::uint64_t>(now.tv_nsec) / 1000u;
    if (deadline <= nowUs)
        return 0;
    const std::uint64_t ms = (deadline - nowUs + 999) / 1000;
    return ms > 60000 ? 60000 : static_cast<int>(ms);
}

} // namespace

SleepWatcher::SleepWatcher(BeforeSleep beforeSleep, HelperLog& log)
    : m_beforeSleep(std::move(beforeSleep))
    , m_log(log)
    , m_stopFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
{
    if (m_stopFd < 0)
        throw std::runtime_error(std::string("eventfd failed: ") + std::strerror(errno));
}

SleepWatcher::~SleepWatcher()
{
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(m_stopFd, &one, sizeof one);
    if (m_thread.joinable())
        m_thread.join();
    closeLock();
    ::close(m_stopFd);
}

void SleepWatcher::start()
{
    m_thread = std::thread([this] { run(); });
}

void SleepWatcher::run()
{
    sd_bus* raw = nullptr;
    if (sd_bus_open_system(&raw) < 0)
        return; // no system bus: no sleep handling, as a Mac daemon without a power port
    BusPointer bus(raw);
    if (sd_bus_match_signal(bus.get(), nullptr, kLogindService, kLogindPath, kLogindManager,
                            "PrepareForSleep", &SleepWatcher::onPrepareForSleep, this) < 0)
        return;
    ErrorGuard error;
    if (!takeLock(bus.get(), &error.error))
        return; // no logind
    m_log.debug("holding a logind delay lock for sleep");
    serve(bus.get());
    closeLock();
}

void SleepWatcher::serve(sd_bus* bus)
{
    for (;;) {
        const int processed = sd_bus_process(bus, nullptr);
        if (processed < 0) {
            // The fans can no longer be released before sleep: worth a line.
            m_log.error("sleep handling ended: lost the system bus (%s)",
                        std::strerror(-processed));
            return;
        }
        if (processed > 0)
            continue;
        pollfd fds[2] = {{sd_bus_get_fd(bus), static_cast<short>(sd_bus_get_events(bus)), 0},
                         {m_stopFd, POLLIN, 0}};
        const int ready = ::poll(fds, 2, pollTimeoutMs(bus));
        if (ready < 0 && errno != EINTR) {
            m_log.error("sleep handling ended: poll failed (%s)", std::strerror(errno));
            return;
        }
        if (ready > 0 && (fds[1].revents & POLLIN))
            return;
    }
}

bool SleepWatcher::takeLock(sd_bus* bus, sd_bus_error* error)
{
    sd_bus_message* reply = nullptr;
    int result =
        sd_bus_call_method(bus, kLogindService, kLogindPath, kLogindManager, "Inhibit", error,
                           &reply, "ssss", kInhibitWhat, kInhibitWho, kInhibitWhy, kInhibitMode);
    if (result < 0)
        return false;
    int fd = -1;
    result = sd_bus_message_read(reply, "h", &fd);
    // The descriptor belongs to the message: keep a copy of our own.
    const int lock = result < 0 ? -1 : ::fcntl(fd, F_DUPFD_CLOEXEC, 3);
    sd_bus_message_unref(reply);
    if (lock < 0) {
        sd_bus_error_set_errno(error, result < 0 ? result : -errno);
        return false;
    }
    closeLock();
    m_lockFd = lock;
    return true;
}

void SleepWatcher::closeLock()
{
    if (m_lockFd >= 0) {
        ::close(m_lockFd);
        m_lockFd = -1;
    }
}

int SleepWatcher::onPrepareForSleep(sd_bus_message* message, void* self, sd_bus_error*)
{
    int sleeping = 0;
    if (sd_bus_message_read(message, "b", &sleeping) < 0)
        return 0; // not the signal logind sends; ignore it
    static_cast<SleepWatcher*>(self)->prepareForSleep(sd_bus_message_get_bus(message),
                                                      sleeping != 0);
    return 0;
}

void SleepWatcher::prepareForSleep(sd_bus* bus, bool sleeping)
{
    if (sleeping) {
        m_beforeSleep();
        // Only now may the system go to sleep.
        closeLock();
        m_log.info("system going to sleep - fans released, sleep lock closed");
        return;
    }
    // Nothing more on wake: control resumes with the app's next setTargets.
    if (m_lockFd >= 0) {
        m_log.info("system woke - sleep lock still held");
        return;
    }
    ErrorGuard error;
    if (takeLock(bus, &error.error))
        m_log.info("system woke - sleep lock taken again");
    else
        m_log.error("system woke, but the sleep lock could not be taken again: %s", error.text());
}

} // namespace brisvane
