#include "app/ui/HelperCommands.h"

#include "app/core/HelperClient.h"

#include <QCoroTask>

#include <optional>

namespace brisvane {
namespace {

void print(std::FILE* stream, const QString& line)
{
    std::fputs(qUtf8Printable(line + u'\n'), stream);
    std::fflush(stream);
}

QString systemPathText(const std::string& path)
{
    return QString::fromStdString(path);
}

// The failure's text, or nothing on success. Exceptions stay inside the task: waitFor() would
// never return if one escaped it.
QCoro::Task<std::optional<QString>> runInstall(HelperClient& client)
{
    try {
        co_await client.install();
    } catch (const HelperInstallError& error) {
        co_return error.description();
    } catch (const AdminScriptRunner::LaunchError& error) {
        co_return error.description();
    }
    co_return std::nullopt;
}

} // namespace

int HelperCommands::install(std::FILE* out, std::FILE* err)
{
    HelperClient client;
    client.refreshInstallState();
    const std::optional<QString> failure = QCoro::waitFor(runInstall(client));
    if (failure) {
        print(err, QStringLiteral("Could not install the helper: %1").arg(*failure));
        return 1;
    }
    print(out, QStringLiteral("Installed the helper at %1")
                   .arg(systemPathText(HelperConstants::helperInstallSystemPath())));
    if (const std::optional<HelperStatus>& status = client.lastStatus()) {
        const std::string_view phase = rawValue(status->phase);
        print(out,
              QStringLiteral("The helper answers: version %1, phase %2")
                  .arg(QString::fromStdString(status->version),
                       QString::fromLatin1(phase.data(), static_cast<qsizetype>(phase.size()))));
    } else {
        print(out, QStringLiteral("The helper did not answer yet; it may still be starting."));
    }
    return 0;
}

int HelperCommands::uninstall(std::FILE* out, std::FILE* err)
{
    HelperClient client;
    client.refreshInstallState();
    QCoro::waitFor(client.uninstall());
    if (client.isInstalled()) {
        print(err, QStringLiteral("The helper is still installed: %1 and %2 remain.")
                       .arg(systemPathText(HelperConstants::helperInstallSystemPath()),
                            systemPathText(HelperConstants::daemonPlistSystemPath())));
        return 1;
    }
    print(out, QStringLiteral("The helper is not installed."));
    return 0;
}

} // namespace brisvane
