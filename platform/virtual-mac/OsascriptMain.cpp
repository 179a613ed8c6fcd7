// The virtual Mac's osascript: runs `do shell script "…" with administrator privileges` with
// /bin/sh, the root's bin/ first on PATH, and answers as osascript does.
#include "AppleScriptSource.h"
#include "StandInRoot.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

using namespace brisvane;

std::string readAll(int fd)
{
    std::string text;
    ::lseek(fd, 0, SEEK_SET);
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        text.append(buffer, static_cast<std::size_t>(n));
    }
    return text;
}

std::string trimmed(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// Runs the script; its output goes to memory files read once it has ended, so neither stream
// can fill up and stall it.
int runScript(const std::string& script, const std::filesystem::path& root, std::string& out,
              std::string& err)
{
    const int outFd = ::memfd_create("osascript-out", MFD_CLOEXEC);
    const int errFd = ::memfd_create("osascript-err", MFD_CLOEXEC);
    if (outFd < 0 || errFd < 0) {
        err = std::strerror(errno);
        return -1;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, outFd, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, errFd, STDERR_FILENO);

    std::vector<std::string> environment;
    const char* path = std::getenv("PATH");
    environment.push_back("PATH=" + (root / "bin").string() + ":" +
                          (path != nullptr && *path != '\0' ? path : "/usr/bin:/bin"));
    environment.push_back("BRISVANE_SYSTEM_ROOT=" + root.string());
    for (char** e = environ; *e != nullptr; ++e)
        if (std::strncmp(*e, "PATH=", 5) != 0 && std::strncmp(*e, "BRISVANE_SYSTEM_ROOT=", 21) != 0)
            environment.push_back(*e);
    std::vector<char*> envp;
    for (auto& e : environment)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    std::string shell = "/bin/sh", dashC = "-c", body = script;
    char* argv[] = {shell.data(), dashC.data(), body.data(), nullptr};
    pid_t pid = 0;
    const int rc = ::posix_spawn(&pid, "/bin/sh", &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        err = std::string("cannot run /bin/sh: ") + std::strerror(rc);
        return -1;
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    out = readAll(outFd);
    err = readAll(errFd);
    ::close(outFd);
    ::close(errFd);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

} // namespace

int main(int argc, char** argv)
{
    std::string source;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) != "-e" || i + 1 >= argc) {
            std::cerr
                << "usage: osascript -e 'do shell script \"…\" with administrator privileges'\n";
            return 1;
        }
        source += (source.empty() ? "" : "\n") + std::string(argv[++i]);
    }
    std::string script;
    try {
        script = AppleScriptSource::adminShellScript(source);
    } catch (const AppleScriptSource::Error& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
    if (const char* admin = std::getenv("BRISVANE_SIM_ADMIN");
        admin && std::string(admin) == "cancel") {
        std::cerr << "execution error: User canceled. (-128)\n";
        return 1;
    }
    const auto root = standInRoot("usr/bin/osascript");
    if (!root) {
        std::cerr << "execution error: not inside a virtual Mac; set BRISVANE_SYSTEM_ROOT (-1)\n";
        return 1;
    }

    std::string out, err;
    const int status = runScript(script, *root, out, err);
    if (status == 0) {
        // do shell script's result is its output without the last line feed.
        if (!out.empty() && out.back() == '\n')
            out.pop_back();
        if (!out.empty())
            std::cout << out << "\n";
        return 0;
    }
    std::string message = trimmed(err);
    if (message.empty())
        message = "The command exited with a non-zero status.";
    std::cerr << "execution error: " << message << " (" << status << ")\n";
    return 1;
}
