#include "app/core/HelperInstaller.h"

#include "app/core/AppBundle.h"
#include "app/core/HelperControlling.h"

#include "shared/HelperShared.h"
#include "smc/SystemRoot.h"

#include <QStringList>

#include <unistd.h>

namespace brisvane {
namespace {

QString fromSystemPath(const std::string& path)
{
    return QString::fromStdString(path);
}

// A word that /bin/sh reads as itself without quotes.
bool isPlainShellWord(const QString& word)
{
    if (word.isEmpty())
        return false;
    for (QChar c : word)
        if (!(c.isLetterOrNumber() && c.unicode() < 0x80) && !QStringView(u"/._-+,:@%").contains(c))
            return false;
    return true;
}

} // namespace

HelperInstaller::HelperInstaller(std::unique_ptr<AdminScriptRunner> runner)
    : m_runner(std::move(runner))
{}

// Not coroutines: the runner's task is the one awaited, and missing resources throw at the call.
QCoro::Task<void> HelperInstaller::install()
{
    const std::optional<QString> executable =
        AppBundle::resourcePath(QStringLiteral("BrisvaneHelper"));
    if (!executable)
        throw HelperInstallError::resourcesMissing();
    const std::optional<QString> plist = AppBundle::resourcePath(
        QString::fromUtf8(HelperConstants::machServiceName), QStringLiteral("plist"));
    if (!plist)
        throw HelperInstallError::resourcesMissing();
    return m_runner->runWithAdminPrivileges(
        installScript(*executable, *plist, static_cast<uint>(::getuid())));
}

QCoro::Task<void> HelperInstaller::uninstall()
{
    return m_runner->runWithAdminPrivileges(uninstallScript());
}

QString HelperInstaller::shellQuoted(const QString& path)
{
    QString quoted = path;
    quoted.replace(u'\'', QStringLiteral("'\\''"));
    return u'\'' + quoted + u'\'';
}

QString HelperInstaller::installScript(const QString& shippedExecutable,
                                       const QString& shippedPlist, uint installingUser)
{
    const QString label = QString::fromUtf8(HelperConstants::machServiceName);
    const QString toolsFolder = fromSystemPath(systemPath("/Library/PrivilegedHelperTools"));
    const QString helper = shellQuoted(fromSystemPath(HelperConstants::helperInstallSystemPath()));
    const QString plist = shellQuoted(fromSystemPath(HelperConstants::daemonPlistSystemPath()));
    const QString record =
        shellQuoted(fromSystemPath(HelperConstants::installerRecordSystemPath()));
    const QStringList lines{
        QStringLiteral("mkdir -p ") +
            (isPlainShellWord(toolsFolder) ? toolsFolder : shellQuoted(toolsFolder)),
        QStringLiteral("launchctl bootout system/") + label +
            QStringLiteral(" 2>/dev/null || true"),
        QStringLiteral("cp ") + shellQuoted(shippedExecutable) + u' ' + helper,
        QStringLiteral("chown root:wheel ") + helper,
        QStringLiteral("chmod 755 ") + helper,
        QStringLiteral("echo %1 > ").arg(installingUser) + record,
        QStringLiteral("chown root:wheel ") + record,
        QStringLiteral("chmod 644 ") + record,
        QStringLiteral("cp ") + shellQuoted(shippedPlist) + u' ' + plist,
        QStringLiteral("chown root:wheel ") + plist,
        QStringLiteral("chmod 644 ") + plist,
        QStringLiteral("launchctl bootstrap system ") + plist,
    };
    return lines.join(u'\n');
}

QString HelperInstaller::uninstallScript()
{
    const QString label = QString::fromUtf8(HelperConstants::machServiceName);
    const QStringList lines{
        QStringLiteral("launchctl bootout system/") + label +
            QStringLiteral(" 2>/dev/null || true"),
        QStringLiteral("rm -f ") +
            shellQuoted(fromSystemPath(HelperConstants::daemonPlistSystemPath())) + u' ' +
            shellQuoted(fromSystemPath(HelperConstants::helperInstallSystemPath())) + u' ' +
            shellQuoted(fromSystemPath(HelperConstants::installerRecordSystemPath())),
    };
    return lines.join(u'\n');
}

} // namespace brisvane
