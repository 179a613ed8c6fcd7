#pragma once
// Runs as root: what uninstalling the daemon removes, once its fans are released and before it
// ends (see DaemonEnding).

namespace brisvane::DaemonUninstall {

// The daemon's property list, its binary and the installer record, under the system root. Any
// may already be gone; no failure stops the other removals.
void removeInstalledFiles();

} // namespace brisvane::DaemonUninstall
