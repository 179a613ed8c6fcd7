#include "tests/support/Process.h"

#include "tests/support/Eventually.h"
#include "tests/support/Files.h"

#include "platform/virtual-mac/ProcessControl.h"

#include <cerrno>
#include <stdexcept>

#include <sys/wait.h>
#include <unistd.h>

namespace brisvane::test {

std::filesystem::path buildPath(const std::string& relative)
{
    return std::filesystem::path(BRISVANE_BUILD_DIR) / relative;
}

RunResult run(const std::vector<std::string>& argv,
              const std::map<std::string, std::string>& environment)
{
    std::string log = "/tmp/brisvane-run-XXXXXX";
    const int fd = ::mkstemp(log.data());
    if (fd < 0)
        throw std::runtime_error("mkstemp failed");
    ::close(fd);
    const pid_t pid = ProcessControl::spawn(argv, log, environment, false);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    RunResult result{WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status),
                     readFile(log)};
    std::filesystem::remove(log);
    return result;
}

std::optional<int> waitForExit(pid_t pid, std::chrono::milliseconds limit)
{
    std::optional<int> status;
    eventually(
        [&] {
            int raw = 0;
            if (::waitpid(pid, &raw, WNOHANG) != pid)
                return false;
            status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
            return true;
        },
        limit);
    return status;
}

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const std::filesystem::path& log,
                           const std::map<std::string, std::string>& environment)
    : m_pid(ProcessControl::spawn(argv, log, environment, false))
{}

ChildProcess::~ChildProcess()
{
    if (m_pid > 0)
        ProcessControl::stop(m_pid, std::chrono::seconds(5));
}

std::optional<int> ChildProcess::waitForExit(std::chrono::milliseconds limit)
{
    const std::optional<int> status = test::waitForExit(m_pid, limit);
    if (status)
        m_pid = -1;
    return status;
}

} // namespace brisvane::test
