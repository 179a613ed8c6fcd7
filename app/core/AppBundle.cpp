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

QString AppBundle::resourceLocation(Layout layout, const QString& name, const QString& extension)
{
    const QString file = extension.isEmpty() ? name : name + u'.' + extension;
    if (layout == Layout::AppleBundle)
        return QStringLiteral("Resources/") + file;
    return (extension.isEmpty() ? QStringLiteral("libexec/brisvane/")
                                : QStringLiteral("share/brisvane/")) +
           file;
}

std::optional<QString> AppBundle::resourcePath(const QString& name, const QString& extension)
{
    if (name.isEmpty() || name.contains(u'/'))
        return std::nullopt;
    const QFileInfo file(prefix() + u'/' + resourceLocation(kLayout, name, extension));
    if (!file.isFile())
        return std::nullopt;
    return file.absoluteFilePath();
}

} // namespace brisvane
