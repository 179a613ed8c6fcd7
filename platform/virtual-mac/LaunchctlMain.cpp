// The virtual Mac's launchctl: bootstrap, bootout and print in the system domain.
#include "LaunchdDomain.h"
#include "StandInRoot.h"

#include <iostream>
#include <string>
#include <vector>

namespace {

using namespace brisvane;

constexpr int kUsageError = 64;
constexpr const char* kUsage = "Usage: launchctl bootstrap system <plist>\n"
                               "       launchctl bootout system/<label> | system <plist>\n"
                               "       launchctl print system/<label>\n";

// "system/LABEL" → LABEL; nothing for any other domain target.
std::optional<std::string> systemService(const std::string& target)
{
    const std::string prefix = "system/";
    if (!target.starts_with(prefix) || target.size() == prefix.size())
        return std::nullopt;
    return target.substr(prefix.size());
}

int run(LaunchdDomain& domain, const std::vector<std::string>& args)
{
    const std::string& verb = args[0];
    if (verb == "bootstrap" && args.size() == 3 && args[1] == "system") {
        domain.bootstrap(std::filesystem::absolute(args[2]));
        return 0;
    }
    if (verb == "bootout" && args.size() == 2) {
        if (auto label = systemService(args[1])) {
            domain.bootout(*label);
            return 0;
        }
    }
    if (verb == "bootout" && args.size() == 3 && args[1] == "system") {
        try {
            domain.bootout(LaunchdJob::load(args[2]).label);
        } catch (const PropertyList::Error& e) {
            throw LaunchdDomain::Error(5, std::string("Boot-out failed: 5: Input/output error (") +
                                              e.what() + ")");
        }
        return 0;
    }
    if (verb == "print" && args.size() == 2) {
        if (auto label = systemService(args[1])) {
            std::cout << domain.print(*label);
            return 0;
        }
    }
    std::cerr << kUsage;
    return kUsageError;
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        std::cerr << kUsage;
        return kUsageError;
    }
    const auto root = standInRoot("bin/launchctl");
    if (!root) {
        std::cerr << "launchctl: not inside a virtual Mac; set BRISVANE_SYSTEM_ROOT\n";
        return 1;
    }
    LaunchdDomain domain(*root);
    try {
        return run(domain, args);
    } catch (const LaunchdDomain::Error& e) {
        std::cerr << e.what() << "\n";
        return e.code();
    }
}
