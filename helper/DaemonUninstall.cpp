// Runs as root: removes the daemon's installed files.
#include "DaemonUninstall.h"

#include "shared/HelperShared.h"

#include <filesystem>

namespace brisvane::DaemonUninstall {

void removeInstalledFiles()
{
    std::error_code ignored;
    std::filesystem::remove(HelperConstants::daemonPlistSystemPath(), ignored);
    std::filesystem::remove(HelperConstants::helperInstallSystemPath(), ignored);
    std::filesystem::remove(HelperConstants::installerRecordSystemPath(), ignored);
}

} // namespace brisvane::DaemonUninstall
