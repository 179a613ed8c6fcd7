#pragma once
// `Brisvane --install-helper` and `--uninstall-helper`: the helper client's installer from the
// command line. Each prints what happened and answers the process's exit status.

#include <cstdio>

namespace brisvane {

struct HelperCommands {
    // 0 when the daemon is installed; 1 with the reason on `err` otherwise.
    static int install(std::FILE* out, std::FILE* err);
    // 0 when the daemon's files are gone afterwards; 1 when they are still there.
    static int uninstall(std::FILE* out, std::FILE* err);
};

} // namespace brisvane
