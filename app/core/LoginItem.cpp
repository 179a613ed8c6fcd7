#include "app/core/LoginItem.h"

#include "app/core/AppBundle.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace brisvane {

namespace {

// One argument of an Exec key: quoted, with the characters the quoting reserves escaped, then
// the escapes every string value takes (backslash, and %% for a literal %).
QString execArgument(const QString& argument)
{
    QString quoted;
    for (const QChar c : argument) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        quoted += c;
    }
    quoted.replace(u'\\', QStringLiteral("\\\\"));
    quoted.replace(u'%', QStringLiteral("%%"));
    quoted.replace(u'\n', QStringLiteral("\\n"));
    return u'"' + quoted + u'"';
}

bool isHidden(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    bool inMainGroup = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(u'[')) {
            inMainGroup = line == QLatin1StringView("[Desktop Entry]");
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (inMainGroup && equals > 0 && line.left(equals).trimmed() == QLatin1StringView("Hidden"))
            return line.mid(equals + 1).trimmed() == QLatin1StringView("true");
    }
    return false;
}

} // namespace

QString LoginItem::Error::description() const
{
    return operation == Operation::registering
               ? qtTrId("settings.general.launchAtLogin.error.register").arg(reason)
               : qtTrId("settings.general.launchAtLogin.error.unregister").arg(reason);
}

LoginItem::LoginItem()
    : LoginItem(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                    QStringLiteral("/autostart/") + AppBundle::identifier() +
                    QStringLiteral(".desktop"),
                QCoreApplication::applicationFilePath())
{}

LoginItem::LoginItem(QString entryPath, QString program)
    : m_entryPath(std::move(entryPath))
    , m_program(std::move(program))
{}

bool LoginItem::isEnabled() const
{
    return QFileInfo(m_entryPath).isFile() && !isHidden(m_entryPath);
}

std::optional<LoginItem::Error> LoginItem::registerItem() const
{
    const auto failed = [](const QString& reason) {
        return Error{Error::Operation::registering, reason};
    };
    // A folder that cannot be made shows as the file failing to open.
    QDir().mkpath(QFileInfo(m_entryPath).absolutePath());
    QSaveFile file(m_entryPath);
    if (!file.open(QIODevice::WriteOnly))
        return failed(file.errorString());
    file.write(desktopEntry(m_program).toUtf8());
    if (!file.commit())
        return failed(file.errorString());
    return std::nullopt;
}

std::optional<LoginItem::Error> LoginItem::unregisterItem() const
{
    QFile file(m_entryPath);
    if (!file.exists() || file.remove())
        return std::nullopt;
    return Error{Error::Operation::unregistering, file.errorString()};
}

QString LoginItem::desktopEntry(const QString& program)
{
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Brisvane\n"
                          "Exec=%1\n"
                          "Icon=%2\n"
                          "Terminal=false\n"
                          "X-GNOME-Autostart-enabled=true\n")
        .arg(execArgument(program), AppBundle::identifier());
}

} // namespace brisvane
