#pragma once
// Runs as root: who may end the daemon. `uninstall` and `shutDown` are honoured from root and
// from the user who installed the helper, whose uid the installer's script records in a file
// beside the executable. Every other call stays open to every local user.

#include <optional>
#include <string>

#include <sys/types.h>

namespace brisvane {

class InstallerRecord {
public:
    // The uid in the record at `path`, or nothing (with the reason in `problem`) when the file
    // is missing, is not a regular file owned by root or by this process's user, can be written
    // by anyone else, or holds anything but one decimal uid.
    static std::optional<uid_t> read(const std::string& path, std::string* problem = nullptr);

    // Root, this process's own user, or the recorded installer (read afresh on each call, so a
    // new install counts at once).
    static bool mayEndDaemon(uid_t peer, const std::string& path);
};

} // namespace brisvane
