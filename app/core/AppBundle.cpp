#include "app/core/AppBundle.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace brisvane {

QString AppBundle::identifier()
{
    return QStringLiteral(BRISVANE_APP_IDENTIFIER);
}

QString AppBundle::shortVersion()
{
    return QStringLiteral(BRISVANE_APP_VERSION);
}

QString AppBundle::buildVersion()
{
    return QStringLiteral(BRISVANE_APP_BUILD);
}

QString AppBundle::prefix()
{
    const QString fromEnvironment = qEnvironmentVariable(kPrefixVariable);
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    return QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/.."));
}

std::optional<QString> AppBundle::resourcePath(const QString& name, const QString& extension)
{
    if (name.isEmpty() || name.contains(u'/'))
        return std::nullopt;
    const QString path =
        extension.isEmpty()
            ? prefix() + QStringLiteral("/libexec/brisvane/") + name
            : prefix() + QStringLiteral("/share/brisvane/") + name + u'.' + extension;
    const QFileInfo file(path);
    if (!file.isFile())
        return std::nullopt;
    return file.absoluteFilePath();
}

} // namespace brisvane
