// brisvane-sim: sets up a virtual Mac in a folder (a system root) and tears it down again.
#include "ControlClient.h"
#include "LaunchdDomain.h"
#include "ProcessControl.h"
#include "VirtualSmc.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <thread>

#include <sys/wait.h>

namespace {

using namespace brisvane;
namespace fs = std::filesystem;

constexpr const char* kUsage = "usage: brisvane-sim up DIR [--profile NAME]\n"
                               "       brisvane-sim down DIR\n";
constexpr auto kStartLimit = std::chrono::seconds(10);
constexpr auto kStopGrace = std::chrono::seconds(5);

fs::path vsmcPidFile(const fs::path& root)
{
    return root / "var/run/brisvane-vsmc.pid";
}

// Ownership means nothing in a virtual Mac, whose files all belong to whoever made it; the
// installer's "chown root:wheel" must still succeed. Like chown, it fails for missing files.
constexpr const char* kChownStandIn = R"(#!/bin/sh
# chown stand-in of a virtual Mac: accepts and ignores the owner; fails for missing files.
owner=
files=0
status=0
for arg in "$@"; do
  if [ -z "$owner" ]; then
    case "$arg" in -*) continue ;; esac
    owner=$arg
    continue
  fi
  files=$((files + 1))
  if [ ! -e "$arg" ] && [ ! -L "$arg" ]; then
    echo "chown: $arg: No such file or directory" >&2
    status=1
  fi
done
if [ "$files" -eq 0 ]; then
  echo "usage: chown [-R] owner[:group] file ..." >&2
  exit 1
fi
exit $status
)";

// Copied, not linked: a stand-in finds its virtual Mac from where it lies. Renamed into place
// so a copy that is running meanwhile is not disturbed.
void install(const fs::path& from, const fs::path& to)
{
    const fs::path temporary = to.string() + ".new";
    fs::copy_file(from, temporary, fs::copy_options::overwrite_existing);
    fs::permissions(temporary, fs::perms::owner_all | fs::perms::group_read |
                                   fs::perms::group_exec | fs::perms::others_read |
                                   fs::perms::others_exec);
    fs::rename(temporary, to);
}

void installStandIns(const fs::path& root)
{
    const fs::path standIns = ProcessControl::selfDirectory() / "../libexec/brisvane/virtual-mac";
    install(standIns / "launchctl", root / "bin/launchctl");
    install(standIns / "osascript", root / "usr/bin/osascript");
    const fs::path chown = root / "bin/chown";
    {
        std::ofstream out(chown.string() + ".new", std::ios::trunc);
        out << kChownStandIn;
    }
    fs::permissions(chown.string() + ".new", fs::perms::owner_all | fs::perms::group_read |
                                                 fs::perms::group_exec | fs::perms::others_read |
                                                 fs::perms::others_exec);
    fs::rename(chown.string() + ".new", chown);
}

bool isVsmc(pid_t pid)
{
    return fs::path(ProcessControl::commandName(pid)).filename() == "brisvane-vsmc";
}

int up(const fs::path& root, const std::string& profile)
{
    for (const char* dir : {"var/run/iokit", "var/log", "bin", "usr/bin", "Library/LaunchDaemons",
                            "Library/PrivilegedHelperTools", "tmp"})
        fs::create_directories(root / dir);

    if (auto pid = ProcessControl::readPidFile(vsmcPidFile(root));
        pid && ProcessControl::isAlive(*pid) && isVsmc(*pid)) {
        std::cerr << "brisvane-sim: a virtual Mac already runs in " << root.string() << " (pid "
                  << *pid << ")\n";
        return 1;
    }

    try {
        MachineProfile::loadNamed(profile); // a clear message here beats a dead server later
    } catch (const ProfileError& e) {
        std::cerr << "brisvane-sim: " << e.what() << "\n";
        return 1;
    }

    const fs::path vsmc = ProcessControl::selfDirectory() / "brisvane-vsmc";
    const fs::path log = root / "var/log/brisvane-vsmc.log";
    pid_t pid = 0;
    try {
        installStandIns(root);
        pid = ProcessControl::spawn(
            {vsmc.string(), "serve", "--root", root.string(), "--profile", profile}, log);
        ProcessControl::writePidFile(vsmcPidFile(root), pid);
    } catch (const std::exception& e) {
        std::cerr << "brisvane-sim: " << e.what() << "\n";
        return 1;
    }

    const auto deadline = std::chrono::steady_clock::now() + kStartLimit;
    for (;;) {
        int status = 0;
        if (::waitpid(pid, &status, WNOHANG) == pid) {
            std::cerr << "brisvane-sim: brisvane-vsmc exited at start; see " << log.string()
                      << "\n";
            fs::remove(vsmcPidFile(root));
            return 1;
        }
        try {
            if (ControlClient::request(root, "status", std::chrono::milliseconds(500))
                    .value("ok", false))
                break;
        } catch (const ControlClient::Error&) {
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            std::cerr << "brisvane-sim: brisvane-vsmc did not answer within " << kStartLimit.count()
                      << " s; see " << log.string() << "\n";
            ProcessControl::stop(pid, kStopGrace);
            fs::remove(vsmcPidFile(root));
            return 1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    std::cout << "virtual Mac up in " << root.string() << " (profile " << profile << ", pid " << pid
              << "); programs use it with BRISVANE_SYSTEM_ROOT=" << root.string() << "\n";
    return 0;
}

int down(const fs::path& root)
{
    int rc = 0;
    // Jobs first: a daemon hands its fans back through the SMC on its way out.
    LaunchdDomain domain(root);
    for (const std::string& label : domain.loadedLabels()) {
        try {
            domain.bootout(label);
        } catch (const LaunchdDomain::Error& e) {
            std::cerr << "brisvane-sim: " << label << ": " << e.what() << "\n";
            rc = 1;
        }
    }
    if (auto pid = ProcessControl::readPidFile(vsmcPidFile(root))) {
        // A pid file can outlive its process and the number be reused: only stop our program.
        if (ProcessControl::isAlive(*pid) && isVsmc(*pid) &&
            !ProcessControl::stop(*pid, kStopGrace)) {
            std::cerr << "brisvane-sim: brisvane-vsmc (pid " << *pid << ") did not stop\n";
            rc = 1;
        }
        std::error_code ignored;
        fs::remove(vsmcPidFile(root), ignored);
    }
    if (rc == 0)
        std::cout << "virtual Mac down in " << root.string() << "\n";
    return rc;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::cerr << kUsage;
        return 2;
    }
    const std::string command = argv[1];
    const fs::path root = fs::absolute(argv[2]);
    if (command == "up") {
        std::string profile = VirtualSmc::kDefaultProfile;
        for (int i = 3; i < argc; ++i) {
            const std::string arg = argv[i];
            if (arg == "--profile" && i + 1 < argc) {
                profile = argv[++i];
            } else {
                std::cerr << kUsage;
                return 2;
            }
        }
        return up(root, profile);
    }
    if (command == "down" && argc == 3)
        return down(root);
    std::cerr << kUsage;
    return 2;
}
