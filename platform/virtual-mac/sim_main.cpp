// brisvane-sim: sets up a virtual Mac in a folder (a system root) and tears it down again.
#include "ControlClient.h"
#include "ProcessControl.h"
#include "VirtualSmc.h"

#include <chrono>
#include <filesystem>
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
            std::cerr << "brisvane-sim: brisvane-vsmc exited at start; see " << log.string() << "\n";
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
            std::cerr << "brisvane-sim: brisvane-vsmc did not answer within "
                      << kStartLimit.count() << " s; see " << log.string() << "\n";
            ProcessControl::stop(pid, kStopGrace);
            fs::remove(vsmcPidFile(root));
            return 1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    std::cout << "virtual Mac up in " << root.string() << " (profile " << profile << ", pid " << pid
              << ")\n";
    return 0;
}

int down(const fs::path& root)
{
    int rc = 0;
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
