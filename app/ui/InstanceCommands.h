#pragma once
// The command-line side of the commands for the running copy (Brisvane --status, …): one request
// over the single-instance socket, the reply printed for a person or a script. Exporting and
// importing work on the preset file directly when no copy runs. Returns the exit status.

#include "app/ui/LaunchOptions.h"

#include <cstdio>

namespace brisvane {

class UserDefaults;

class InstanceCommands {
public:
    static constexpr char kNotRunning[] = "Brisvane is not running";

    // Needs a QCoreApplication with the translations installed (preset and fan names).
    // `defaults` holds the slot order of the preset file worked on directly.
    static int run(const LaunchOptions& options, UserDefaults& defaults, std::FILE* out,
                   std::FILE* err);
};

} // namespace brisvane
