#include "ProcessControl.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fstream>
#include <system_error>
#include <thread>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace brisvane {

std::filesystem::path ProcessControl::selfDirectory()
{
    return std::filesystem::read_symlink("/proc/self/exe").parent_path();
}

pid_t ProcessControl::spawn(const std::vector<std::string>& argv,
                            const std::filesystem::path& logFile,
                            const std::map<std::string, std::string>& environment, bool newSession)
{
    if (argv.empty())
        throw std::invalid_argument("nothing to start");
    // Everything the child needs is prepared before fork: after it only async-signal-safe calls.
    std::vector<char*> args;
    for (const auto& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);

    std::map<std::string, std::string> merged;
    for (char** e = environ; *e != nullptr; ++e) {
        const char* eq = std::strchr(*e, '=');
        if (eq != nullptr)
            merged[std::string(*e, static_cast<std::size_t>(eq - *e))] = eq + 1;
    }
    for (const auto& [k, v] : environment)
        merged[k] = v;
    std::vector<std::string> envStrings;
    for (const auto& [k, v] : merged)
        envStrings.push_back(k + "=" + v);
    std::vector<char*> env;
    for (auto& s : envStrings)
        env.push_back(s.data());
    env.push_back(nullptr);

    const int log = ::open(logFile.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (log < 0)
        throw std::system_error(errno, std::generic_category(), "cannot open " + logFile.string());
    const int null = ::open("/dev/null", O_RDONLY | O_CLOEXEC);

    const pid_t pid = ::fork();
    if (pid < 0) {
        const int error = errno;
        ::close(log);
        ::close(null);
        throw std::system_error(error, std::generic_category(), "fork");
    }
    if (pid == 0) {
        if (newSession)
            ::setsid();
        ::dup2(null, STDIN_FILENO);
        ::dup2(log, STDOUT_FILENO);
        ::dup2(log, STDERR_FILENO);
        // A supervisor that ignores signals must not pass that on to its job.
        for (int sig : {SIGTERM, SIGINT, SIGHUP, SIGCHLD, SIGPIPE})
            ::signal(sig, SIG_DFL);
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        ::execve(args[0], args.data(), env.data());
        const char message[] = "cannot execute the program\n";
        (void)!::write(STDERR_FILENO, message, sizeof message - 1);
        ::_exit(127);
    }
    ::close(log);
    ::close(null);
    return pid;
}

bool ProcessControl::isAlive(pid_t pid)
{
    if (pid <= 0)
        return false;
    int status = 0;
    if (::waitpid(pid, &status, WNOHANG) == pid)
        return false; // our child, now reaped
    if (::kill(pid, 0) != 0 && errno == ESRCH)
        return false;
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line))
        return false;
    // The state follows the parenthesised command name, which may itself contain ')'.
    const auto close = line.rfind(')');
    return close == std::string::npos || close + 2 >= line.size() || line[close + 2] != 'Z';
}

std::string ProcessControl::commandName(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/cmdline", std::ios::binary);
    std::string first;
    std::getline(in, first, '\0');
    return first;
}

bool ProcessControl::waitGone(pid_t pid, std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (isAlive(pid)) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

bool ProcessControl::stop(pid_t pid, std::chrono::milliseconds grace)
{
    if (!isAlive(pid))
        return true;
    ::kill(pid, SIGTERM);
    if (waitGone(pid, grace))
        return true;
    ::kill(pid, SIGKILL);
    return waitGone(pid, std::chrono::seconds(2));
}

std::optional<pid_t> ProcessControl::readPidFile(const std::filesystem::path& file)
{
    std::ifstream in(file);
    long pid = 0;
    if (!(in >> pid) || pid <= 0)
        return std::nullopt;
    return static_cast<pid_t>(pid);
}

void ProcessControl::writePidFile(const std::filesystem::path& file, pid_t pid)
{
    const auto temporary = file.string() + ".tmp";
    {
        std::ofstream out(temporary, std::ios::trunc);
        out << pid << "\n";
        if (!out)
            throw std::system_error(errno, std::generic_category(), "cannot write " + temporary);
    }
    std::filesystem::rename(temporary, file);
}

} // namespace brisvane
