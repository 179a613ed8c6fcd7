#pragma once
// Runs as root: the daemon's log. Each line goes to syslog(3) and to stderr as
// "<ISO-8601 time> <level> <subsystem>[<category>] <message>", and to any sink a test installed.
// Debug lines always reach syslog (at LOG_DEBUG, which syslogd filters as it is configured) and the
// sinks, but reach stderr only when BRISVANE_HELPER_DEBUG=1 is set in the environment.

#include <chrono>
#include <cstdarg>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace brisvane {

enum class HelperLogLevel { debug, info, error };

std::string_view helperLogLevelName(HelperLogLevel level);

class HelperLog {
public:
    // Receives each message as written, without time, level or subsystem.
    using Sink = std::function<void(HelperLogLevel level, const std::string& message)>;

    // The daemon's log: subsystem HelperConstants::machServiceName, category "control". Never
    // destroyed, so that exit handlers can still log.
    static HelperLog& shared();

    HelperLog(std::string subsystem, std::string category);
    HelperLog(const HelperLog&) = delete;
    HelperLog& operator=(const HelperLog&) = delete;

    // printf-style formats; the system's "%{public}s" is written as "%s".
    void debug(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void info(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void error(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void write(HelperLogLevel level, const std::string& message);

    int addSink(Sink sink);
    void removeSink(int id);

    // While muted (a count, so captures nest) nothing reaches syslog or stderr; sinks still do.
    void mute();
    void unmute();
    void setDebugOnStderr(bool enabled);

    const std::string& subsystem() const { return m_subsystem; }
    const std::string& category() const { return m_category; }

    // The stderr form of one line, in UTC with milliseconds: 2025-01-31T08:15:02.250Z.
    static std::string formatLine(std::chrono::system_clock::time_point time, HelperLogLevel level,
                                  std::string_view subsystem, std::string_view category,
                                  std::string_view message);

private:
    void writeFormatted(HelperLogLevel level, const char* format, va_list args);

    const std::string m_subsystem;
    const std::string m_category;
    std::mutex m_mutex; // lines come from the control thread, the main thread and exit handlers
    std::vector<std::pair<int, Sink>> m_sinks;
    int m_nextSinkId = 1;
    int m_muted = 0;
    bool m_debugOnStderr = false;
    bool m_syslogOpen = false;
};

// Records every message of a log while it lives, and mutes the log's syslog and stderr output.
class HelperLogCapture {
public:
    struct Line {
        HelperLogLevel level;
        std::string message;
        friend bool operator==(const Line&, const Line&) = default;
    };

    explicit HelperLogCapture(HelperLog& log = HelperLog::shared());
    ~HelperLogCapture();
    HelperLogCapture(const HelperLogCapture&) = delete;
    HelperLogCapture& operator=(const HelperLogCapture&) = delete;

    std::vector<Line> lines() const;
    // The lines so far, leaving the capture empty.
    std::vector<Line> take();

private:
    HelperLog& m_log;
    int m_sinkId;
    mutable std::mutex m_mutex;
    std::vector<Line> m_lines;
};

} // namespace brisvane
