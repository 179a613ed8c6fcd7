#pragma once
// Puts the helper daemon's files in place, or removes them, with administrator rights: the two
// shell scripts and the one administrator run of each. What the daemon then says is the
// client's business.

#include "app/core/AdminScriptRunner.h"

#include <QCoroTask>
#include <QString>

#include <memory>

namespace brisvane {

class HelperInstaller {
public:
    // `runner` is the administrator-script seam.
    explicit HelperInstaller(std::unique_ptr<AdminScriptRunner> runner);

    // Copies the bundle's daemon and plist into the system and bootstraps the job, recording this
    // user as the installer. Throws HelperInstallError (resources missing, the script failed or
    // was cancelled) or AdminScriptRunner::LaunchError.
    QCoro::Task<void> install();
    // Boots the job out and removes the files. Throws as install() does.
    QCoro::Task<void> uninstall();

    // The administrator scripts, built from the paths under the current system root. The
    // install script records `installingUser`, the uid the daemon lets uninstall and stop it.
    static QString installScript(const QString& shippedExecutable, const QString& shippedPlist,
                                 uint installingUser);
    static QString uninstallScript();
    // `path` as one word for /bin/sh: single-quoted, a single quote inside as '\''.
    static QString shellQuoted(const QString& path);

private:
    std::unique_ptr<AdminScriptRunner> m_runner;
};

} // namespace brisvane
