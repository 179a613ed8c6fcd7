#pragma once
// Which virtual Mac a stand-in tool serves: BRISVANE_SYSTEM_ROOT when set, else the folder
// the tool was installed into (DIR/bin/launchctl, DIR/usr/bin/osascript → DIR).

#include <filesystem>
#include <optional>
#include <string_view>

namespace brisvane {

// `installedAt` is the tool's path inside a root, such as "bin/launchctl". Nothing when the
// variable is unset and the tool does not sit at that place in a virtual Mac.
std::optional<std::filesystem::path> standInRoot(std::string_view installedAt);

} // namespace brisvane
