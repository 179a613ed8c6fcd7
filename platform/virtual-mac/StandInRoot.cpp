#include "StandInRoot.h"

#include "ProcessControl.h"

#include <cstdlib>

namespace brisvane {

std::optional<std::filesystem::path> standInRoot(std::string_view installedAt)
{
    namespace fs = std::filesystem;
    if (const char* env = std::getenv("BRISVANE_SYSTEM_ROOT"); env != nullptr && *env != '\0')
        return fs::absolute(env);
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    if (error)
        return std::nullopt;
    const fs::path place(installedAt);
    fs::path root = self;
    for (auto it = place.begin(); it != place.end(); ++it)
        root = root.parent_path();
    // Only a folder brisvane-sim set up counts; a build tree's bin/ is not a system root.
    if (root.empty() || (root / place) != self || !fs::is_directory(root / "var/run/iokit", error))
        return std::nullopt;
    return root;
}

} // namespace brisvane
