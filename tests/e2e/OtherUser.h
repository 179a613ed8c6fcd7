#pragma once
// A forked child that drops to another user (nobody) before it does anything: what a local
// process without rights can do to the daemon. The child reports in lines through a pipe; it is
// killed and reaped with this object. Needs root (tests skip without it).

#include "tests/virtual-mac/VsmcTestSupport.h"

#include <chrono>
#include <csignal>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

namespace brisvane::test {

class OtherUser {
public:
    // nobody's uid and gid, when this process may become it.
    static std::optional<std::pair<uid_t, gid_t>> nobody()
    {
        const passwd* entry = ::getpwnam("nobody");
        if (::geteuid() != 0 || entry == nullptr)
            return std::nullopt;
        return std::make_pair(entry->pw_uid, entry->pw_gid);
    }

    // `work` runs in the child as `uid`; what it writes to the descriptor it gets is read back
    // by readLine. The child exits when `work` returns.
    OtherUser(std::pair<uid_t, gid_t> account, std::function<void(int report)> work)
    {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0)
            throw std::runtime_error("pipe failed");
        m_pid = ::fork();
        if (m_pid == 0) {
            ::close(fds[0]);
            if (::setgroups(0, nullptr) != 0 || ::setgid(account.second) != 0 ||
                ::setuid(account.first) != 0)
                ::_exit(101);
            work(fds[1]);
            ::_exit(0);
        }
        ::close(fds[1]);
        m_read = fds[0];
    }
    ~OtherUser()
    {
        ::close(m_read);
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
    }
    OtherUser(const OtherUser&) = delete;
    OtherUser& operator=(const OtherUser&) = delete;

    static void report(int fd, const std::string& line)
    {
        const std::string text = line + "\n";
        [[maybe_unused]] const ssize_t written = ::write(fd, text.data(), text.size());
    }

    // The child's next line, or nothing once it has ended or `limit` has passed.
    std::optional<std::string> readLine(std::chrono::milliseconds limit = std::chrono::seconds(10))
    {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        for (;;) {
            if (const auto end = m_buffer.find('\n'); end != std::string::npos) {
                std::string line = m_buffer.substr(0, end);
                m_buffer.erase(0, end + 1);
                return line;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd p{m_read, POLLIN, 0};
            if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0)
                return std::nullopt;
            char chunk[256];
            const ssize_t n = ::read(m_read, chunk, sizeof chunk);
            if (n <= 0)
                return std::nullopt;
            m_buffer.append(chunk, static_cast<std::size_t>(n));
        }
    }

private:
    pid_t m_pid = -1;
    int m_read = -1;
    std::string m_buffer;
};

} // namespace brisvane::test
