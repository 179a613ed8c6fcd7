// Runs as root: the daemon's logger over syslog(3) and stderr.
#include "HelperLog.h"

#include "shared/HelperShared.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <utility>

#include <syslog.h>

namespace brisvane {

std::string_view helperLogLevelName(HelperLogLevel level)
{
    switch (level) {
    case HelperLogLevel::debug:
        return "debug";
    case HelperLogLevel::info:
        return "info";
    case HelperLogLevel::error:
        return "error";
    }
    return "info";
}

namespace {

int syslogPriority(HelperLogLevel level)
{
    switch (level) {
    case HelperLogLevel::debug:
        return LOG_DEBUG;
    case HelperLogLevel::info:
        return LOG_INFO;
    case HelperLogLevel::error:
        return LOG_ERR;
    }
    return LOG_INFO;
}

} // namespace

HelperLog& HelperLog::shared()
{
    static HelperLog* instance = [] {
        auto* log = new HelperLog(std::string(HelperConstants::machServiceName), "control");
        const char* debug = std::getenv("BRISVANE_HELPER_DEBUG");
        log->setDebugOnStderr(debug != nullptr && std::strcmp(debug, "1") == 0);
        return log;
    }();
    return *instance;
}

HelperLog::HelperLog(std::string subsystem, std::string category)
    : m_subsystem(std::move(subsystem))
    , m_category(std::move(category))
{}

void HelperLog::debug(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    writeFormatted(HelperLogLevel::debug, format, args);
    va_end(args);
}

void HelperLog::info(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    writeFormatted(HelperLogLevel::info, format, args);
    va_end(args);
}

void HelperLog::error(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    writeFormatted(HelperLogLevel::error, format, args);
    va_end(args);
}

void HelperLog::writeFormatted(HelperLogLevel level, const char* format, va_list args)
{
    va_list measure;
    va_copy(measure, args);
    const int length = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    if (length < 0) {
        write(level, format);
        return;
    }
    std::string message(static_cast<std::size_t>(length) + 1, '\0');
    std::vsnprintf(message.data(), message.size(), format, args);
    message.resize(static_cast<std::size_t>(length));
    write(level, message);
}

void HelperLog::write(HelperLogLevel level, const std::string& message)
{
    std::lock_guard lock(m_mutex);
    for (const auto& [id, sink] : m_sinks)
        sink(level, message);
    if (m_muted > 0)
        return;

    if (!m_syslogOpen) {
        // The identity string must outlive every syslog call; m_subsystem lives as long as we do.
        ::openlog(m_subsystem.c_str(), LOG_PID | LOG_NDELAY, LOG_DAEMON);
        m_syslogOpen = true;
    }
    ::syslog(syslogPriority(level), "[%s] %s", m_category.c_str(), message.c_str());

    if (level == HelperLogLevel::debug && !m_debugOnStderr)
        return;
    const std::string line =
        formatLine(std::chrono::system_clock::now(), level, m_subsystem, m_category, message) +
        "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

int HelperLog::addSink(Sink sink)
{
    std::lock_guard lock(m_mutex);
    const int id = m_nextSinkId++;
    m_sinks.emplace_back(id, std::move(sink));
    return id;
}

void HelperLog::removeSink(int id)
{
    std::lock_guard lock(m_mutex);
    std::erase_if(m_sinks, [id](const auto& entry) { return entry.first == id; });
}

void HelperLog::mute()
{
    std::lock_guard lock(m_mutex);
    ++m_muted;
}

void HelperLog::unmute()
{
    std::lock_guard lock(m_mutex);
    if (m_muted > 0)
        --m_muted;
}

void HelperLog::setDebugOnStderr(bool enabled)
{
    std::lock_guard lock(m_mutex);
    m_debugOnStderr = enabled;
}

std::string HelperLog::formatLine(std::chrono::system_clock::time_point time, HelperLogLevel level,
                                  std::string_view subsystem, std::string_view category,
                                  std::string_view message)
{
    using namespace std::chrono;
    const auto sinceEpoch = time.time_since_epoch();
    auto wholeSeconds = duration_cast<seconds>(sinceEpoch);
    auto millis = duration_cast<milliseconds>(sinceEpoch - wholeSeconds).count();
    if (millis < 0) {
        wholeSeconds -= seconds(1);
        millis += 1000;
    }
    const std::time_t seconds = static_cast<std::time_t>(wholeSeconds.count());
    std::tm utc{};
    ::gmtime_r(&seconds, &utc);
    char stamp[96];
    std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", utc.tm_year + 1900,
                  utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec,
                  static_cast<int>(millis));

    std::string line;
    line.reserve(64 + message.size());
    line.append(stamp).append(" ").append(helperLogLevelName(level)).append(" ");
    line.append(subsystem).append("[").append(category).append("] ").append(message);
    return line;
}

HelperLogCapture::HelperLogCapture(HelperLog& log)
    : m_log(log)
{
    m_log.mute();
    m_sinkId = m_log.addSink([this](HelperLogLevel level, const std::string& message) {
        std::lock_guard lock(m_mutex);
        m_lines.push_back({level, message});
    });
}

HelperLogCapture::~HelperLogCapture()
{
    m_log.removeSink(m_sinkId);
    m_log.unmute();
}

std::vector<HelperLogCapture::Line> HelperLogCapture::lines() const
{
    std::lock_guard lock(m_mutex);
    return m_lines;
}

std::vector<HelperLogCapture::Line> HelperLogCapture::take()
{
    std::lock_guard lock(m_mutex);
    return std::exchange(m_lines, {});
}

} // namespace brisvane
