#pragma once
// A launchd job definition as the virtual Mac's launchctl understands it: the keys a system
// daemon's property list uses.

#include "PropertyList.h"

#include <map>
#include <string>
#include <vector>

namespace brisvane {

struct LaunchdJob {
    // When a job that ended is started again.
    enum class KeepAlive { never, always, afterFailure, afterSuccess };

    std::string label;
    std::string program;                // Program, else ProgramArguments[0]; a real-Mac path
    std::vector<std::string> arguments; // ProgramArguments, or just the program
    KeepAlive keepAlive = KeepAlive::never;
    bool runAtLoad = false;
    std::map<std::string, std::string> environment; // EnvironmentVariables
    // launchd waits 10 s between starts of a job that keeps dying; the virtual Mac's default
    // of 1 s keeps tests quick. ThrottleInterval in the plist overrides it.
    double throttleSeconds = 1.0;
    double exitTimeoutSeconds = 5.0; // ExitTimeOut: SIGTERM to SIGKILL on bootout

    // A job starts when loaded if it runs at load or is kept alive (as launchd implies).
    bool startsAtLoad() const { return runAtLoad || keepAlive != KeepAlive::never; }
    bool restartsAfter(int exitStatus) const;

    // Throws PropertyList::Error for a document that is not a usable job.
    static LaunchdJob fromPlist(const PlistValue& plist);
    static LaunchdJob load(const std::string& path);
};

} // namespace brisvane
