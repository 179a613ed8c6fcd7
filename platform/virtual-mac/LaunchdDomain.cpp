#include "LaunchdDomain.h"

#include "ProcessControl.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace brisvane {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using Clock = std::chrono::steady_clock;

constexpr auto kReadyLimit = std::chrono::seconds(5);
constexpr const char* kSupervisorName = "launchd-supervisor";

void writeAtomically(const fs::path& file, const std::string& content)
{
    const fs::path temporary = file.string() + ".tmp";
    {
        std::ofstream out(temporary, std::ios::trunc);
        out << content;
    }
    std::error_code ignored;
    fs::rename(temporary, file, ignored);
}

std::string describeStatus(int status)
{
    if (WIFEXITED(status))
        return std::to_string(WEXITSTATUS(status));
    if (WIFSIGNALED(status))
        return std::string(strsignal(WTERMSIG(status)));
    return "?";
}

std::string timestamp()
{
    const auto now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", std::localtime(&now));
    return text;
}

} // namespace

LaunchdDomain::LaunchdDomain(fs::path root)
    : m_root(std::move(root))
{}

fs::path LaunchdDomain::stateDirectory() const
{
    return m_root / "var/run/launchd";
}

fs::path LaunchdDomain::logFile(const std::string& label) const
{
    return m_root / "var/log" / (label + ".log");
}

fs::path LaunchdDomain::supervisorPidFile(const std::string& label) const
{
    return stateDirectory() / (label + ".pid");
}

fs::path LaunchdDomain::stateFile(const std::string& label) const
{
    return stateDirectory() / (label + ".json");
}

fs::path LaunchdDomain::resolve(const std::string& macPath) const
{
    fs::path relative = fs::path(macPath).relative_path();
    return m_root / relative;
}

std::optional<pid_t> LaunchdDomain::liveSupervisor(const std::string& label) const
{
    const auto pid = ProcessControl::readPidFile(supervisorPidFile(label));
    // The pid file can outlive its supervisor and the number be reused by another process.
    if (!pid || !ProcessControl::isAlive(*pid))
        return std::nullopt;
    std::ifstream comm("/proc/" + std::to_string(*pid) + "/comm");
    std::string name;
    std::getline(comm, name);
    if (name != std::string(kSupervisorName).substr(0, 15))
        return std::nullopt;
    return pid;
}

void LaunchdDomain::removeRecords(const std::string& label) const
{
    std::error_code ignored;
    fs::remove(supervisorPidFile(label), ignored);
    fs::remove(stateFile(label), ignored);
}

void LaunchdDomain::bootstrap(const fs::path& plist)
{
    LaunchdJob job;
    try {
        job = LaunchdJob::load(plist.string());
    } catch (const PropertyList::Error& e) {
        throw Error(5, std::string("Bootstrap failed: 5: Input/output error (") + e.what() + ")");
    }
    std::error_code error;
    fs::create_directories(stateDirectory(), error);
    fs::create_directories(m_root / "var/log", error);
    if (liveSupervisor(job.label))
        throw Error(37, "Bootstrap failed: 37: Operation already in progress");
    removeRecords(job.label);

    int ready[2];
    if (::pipe2(ready, O_CLOEXEC) != 0)
        throw Error(5, std::string("Bootstrap failed: 5: ") + std::strerror(errno));
    std::cout.flush();
    std::cerr.flush();
    const pid_t pid = ::fork();
    if (pid < 0) {
        ::close(ready[0]);
        ::close(ready[1]);
        throw Error(5, std::string("Bootstrap failed: 5: ") + std::strerror(errno));
    }
    if (pid == 0) {
        ::close(ready[0]);
        supervise(job, plist, ready[1]);
    }
    ::close(ready[1]);
    // The supervisor closes its end once it runs; EOF without its byte means it failed.
    pollfd p{ready[0], POLLIN, 0};
    char byte = 0;
    const bool started =
        ::poll(&p, 1, static_cast<int>(std::chrono::milliseconds(kReadyLimit).count())) == 1 &&
        ::read(ready[0], &byte, 1) == 1;
    ::close(ready[0]);
    int status = 0;
    ::waitpid(pid, &status, WNOHANG);
    if (!started)
        throw Error(5,
                    "Bootstrap failed: 5: Input/output error (the job's supervisor did not start)");
}

void LaunchdDomain::bootout(const std::string& label)
{
    const auto supervisor = liveSupervisor(label);
    if (!supervisor) {
        removeRecords(label);
        throw Error(3, "Boot-out failed: 3: No such process");
    }
    double exitTimeout = 5.0;
    std::optional<pid_t> jobPid;
    if (auto state = describe(label)) {
        exitTimeout = state->value("exitTimeout", 5.0);
        if (state->contains("pid") && (*state)["pid"].is_number())
            jobPid = (*state)["pid"].get<pid_t>();
    }
    ::kill(*supervisor, SIGTERM);
    const auto limit =
        std::chrono::milliseconds(static_cast<long>(exitTimeout * 1000)) + std::chrono::seconds(2);
    if (!ProcessControl::waitGone(*supervisor, limit)) {
        // The supervisor itself is stuck: take both down hard.
        ::kill(*supervisor, SIGKILL);
        if (jobPid)
            ::kill(*jobPid, SIGKILL);
        ProcessControl::waitGone(*supervisor, std::chrono::seconds(2));
    }
    removeRecords(label);
}

std::optional<json> LaunchdDomain::describe(const std::string& label) const
{
    if (!liveSupervisor(label))
        return std::nullopt;
    std::ifstream in(stateFile(label));
    try {
        return json::parse(in);
    } catch (const json::exception&) {
        return json{{"label", label}, {"state", "unknown"}};
    }
}

std::string LaunchdDomain::print(const std::string& label) const
{
    const auto state = describe(label);
    if (!state)
        throw Error(113, "Could not find service \"" + label + "\" in domain for system");
    std::ostringstream out;
    out << "system/" << label << " = {\n";
    out << "\tactive count = " << ((*state)["pid"].is_number() ? 1 : 0) << "\n";
    out << "\tpath = " << state->value("path", "") << "\n";
    out << "\ttype = LaunchDaemon\n";
    out << "\tstate = " << state->value("state", "unknown") << "\n\n";
    out << "\tprogram = " << state->value("program", "") << "\n";
    out << "\targuments = {\n";
    for (const auto& arg : state->value("arguments", json::array()))
        out << "\t\t" << arg.get<std::string>() << "\n";
    out << "\t}\n\n";
    out << "\tstdout path = " << logFile(label).string() << "\n";
    out << "\tstderr path = " << logFile(label).string() << "\n";
    if ((*state)["pid"].is_number())
        out << "\tpid = " << (*state)["pid"].get<long>() << "\n";
    out << "\truns = " << state->value("runs", 0) << "\n";
    out << "\tlast exit code = " << state->value("lastExit", "(never exited)") << "\n";
    out << "\tkeepalive = " << state->value("keepAlive", "never") << "\n";
    out << "\trunatload = " << (state->value("runAtLoad", false) ? "true" : "false") << "\n";
    out << "}\n";
    return out.str();
}

std::vector<std::string> LaunchdDomain::loadedLabels() const
{
    std::vector<std::string> labels;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(stateDirectory(), error)) {
        if (entry.path().extension() != ".pid")
            continue;
        const std::string label = entry.path().stem().string();
        if (liveSupervisor(label))
            labels.push_back(label);
    }
    return labels;
}

// The supervisor: never returns. All its waiting is sigtimedwait on SIGCHLD and the stop
// signals, so it sleeps until something happens.
void LaunchdDomain::supervise(const LaunchdJob& job, const fs::path& plist, int readyFd)
{
    ::setsid();
    // The name marks the process as ours for liveSupervisor().
    ::prctl(PR_SET_NAME, kSupervisorName, 0, 0, 0);
    const int log =
        ::open(logFile(job.label).c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    const int null = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (log >= 0) {
        ::dup2(log, STDOUT_FILENO);
        ::dup2(log, STDERR_FILENO);
    }
    if (null >= 0)
        ::dup2(null, STDIN_FILENO);

    sigset_t signals;
    sigemptyset(&signals);
    for (int sig : {SIGTERM, SIGINT, SIGHUP, SIGCHLD})
        sigaddset(&signals, sig);
    ::sigprocmask(SIG_BLOCK, &signals, nullptr);

    const fs::path program = resolve(job.program);
    std::vector<std::string> argv = job.arguments;
    argv[0] = program.string();
    std::map<std::string, std::string> environment = job.environment;
    environment["BRISVANE_SYSTEM_ROOT"] = m_root.string();

    const char* keepAliveName =
        job.keepAlive == LaunchdJob::KeepAlive::always         ? "always"
        : job.keepAlive == LaunchdJob::KeepAlive::afterFailure ? "after failure"
        : job.keepAlive == LaunchdJob::KeepAlive::afterSuccess ? "after success"
                                                               : "never";
    pid_t child = -1;
    int runs = 0;
    std::optional<std::string> lastExit;
    std::optional<Clock::time_point> restartAt;
    Clock::time_point lastStart{};

    auto record = [&](const char* state) {
        json s{{"label", job.label},
               {"path", plist.string()},
               {"program", program.string()},
               {"arguments", argv},
               {"state", state},
               {"pid", child > 0 ? json(child) : json(nullptr)},
               {"runs", runs},
               {"keepAlive", keepAliveName},
               {"runAtLoad", job.runAtLoad},
               {"exitTimeout", job.exitTimeoutSeconds}};
        if (lastExit)
            s["lastExit"] = *lastExit;
        writeAtomically(stateFile(job.label), s.dump() + "\n");
    };
    auto start = [&] {
        lastStart = Clock::now();
        ++runs;
        try {
            child = ProcessControl::spawn(argv, logFile(job.label), environment, false);
        } catch (const std::exception& e) {
            std::cerr << timestamp() << " launchd: cannot start " << program.string() << ": "
                      << e.what() << std::endl;
            child = -1;
            lastExit = "(could not start)";
            if (job.keepAlive != LaunchdJob::KeepAlive::never)
                restartAt = lastStart + std::chrono::duration_cast<Clock::duration>(
                                            std::chrono::duration<double>(job.throttleSeconds));
            record("waiting");
            return;
        }
        record("running");
    };

    ProcessControl::writePidFile(supervisorPidFile(job.label), ::getpid());
    if (job.startsAtLoad())
        start();
    else
        record("waiting");
    const char ok = 1;
    (void)!::write(readyFd, &ok, 1);
    ::close(readyFd);

    for (;;) {
        siginfo_t info{};
        int sig;
        if (restartAt) {
            const auto wait = std::max(Clock::duration::zero(), *restartAt - Clock::now());
            const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(wait).count();
            timespec timeout{static_cast<time_t>(ns / 1000000000),
                             static_cast<long>(ns % 1000000000)};
            sig = ::sigtimedwait(&signals, &info, &timeout);
        } else {
            sig = ::sigwaitinfo(&signals, &info);
        }
        if (sig < 0 && errno == EAGAIN) {
            restartAt.reset();
            start();
            continue;
        }
        if (sig < 0)
            continue; // EINTR
        if (sig == SIGCHLD) {
            int status = 0;
            pid_t done;
            while ((done = ::waitpid(-1, &status, WNOHANG)) > 0) {
                if (done != child)
                    continue;
                child = -1;
                lastExit = describeStatus(status);
                const int code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
                std::cerr << timestamp() << " launchd: " << job.label << " exited (" << *lastExit
                          << ")" << std::endl;
                if (job.restartsAfter(code)) {
                    // A job that keeps dying is started at most once per throttle interval.
                    restartAt = lastStart + std::chrono::duration_cast<Clock::duration>(
                                                std::chrono::duration<double>(job.throttleSeconds));
                    record("waiting");
                } else {
                    record("not running");
                }
            }
            continue;
        }
        // SIGTERM, SIGINT or SIGHUP: bootout.
        if (child > 0) {
            ::kill(child, SIGTERM);
            const auto deadline =
                Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                   std::chrono::duration<double>(job.exitTimeoutSeconds));
            sigset_t childOnly;
            sigemptyset(&childOnly);
            sigaddset(&childOnly, SIGCHLD);
            while (::waitpid(child, nullptr, WNOHANG) == 0) {
                const auto left = deadline - Clock::now();
                if (left <= Clock::duration::zero()) {
                    ::kill(child, SIGKILL);
                    ::waitpid(child, nullptr, 0);
                    break;
                }
                const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
                timespec timeout{static_cast<time_t>(ns / 1000000000),
                                 static_cast<long>(ns % 1000000000)};
                ::sigtimedwait(&childOnly, &info, &timeout);
            }
        }
        removeRecords(job.label);
        std::cerr << timestamp() << " launchd: " << job.label << " booted out" << std::endl;
        ::_exit(0);
    }
}

} // namespace brisvane
