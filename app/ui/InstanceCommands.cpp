#include "app/ui/InstanceCommands.h"

#include "app/core/AppCommands.h"
#include "app/core/AppState.h"
#include "app/core/FileReadError.h"
#include "app/core/JSONDecodeError.h"
#include "app/core/PresetFile.h"
#include "app/core/PresetImport.h"
#include "app/core/PresetStore.h"
#include "app/core/SingleInstance.h"
#include "app/core/UserDefaults.h"

#include <QDeadlineTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLocalSocket>
#include <QLocale>
#include <QStringList>

#include <algorithm>
#include <optional>

namespace brisvane {
namespace {

constexpr int kConnectTimeoutMilliseconds = 1000;
// The running copy answers at once; this only bounds a copy that hangs.
constexpr int kReplyTimeoutMilliseconds = 10000;

using Exit = LaunchOptions::ExitStatus;

void printLine(std::FILE* stream, const QString& line)
{
    std::fputs(qUtf8Printable(line + u'\n'), stream);
}

struct Connection {
    std::optional<QJsonObject> reply; // nothing: no copy runs
    QString error;                    // a copy runs but gave no usable answer
};

Connection send(const QJsonObject& request)
{
    QLocalSocket socket;
    socket.connectToServer(SingleInstance::defaultServerName());
    if (!socket.waitForConnected(kConnectTimeoutMilliseconds))
        return {};
    QJsonObject versioned = request;
    versioned.insert(QStringLiteral("version"), AppCommands::kVersion);
    socket.write(QJsonDocument(versioned).toJson(QJsonDocument::Compact) + '\n');
    const QDeadlineTimer deadline(kReplyTimeoutMilliseconds);
    while (socket.bytesToWrite() > 0 && !deadline.hasExpired())
        socket.waitForBytesWritten(static_cast<int>(deadline.remainingTime()));
    while (!socket.canReadLine()) {
        if (deadline.hasExpired() || socket.state() != QLocalSocket::ConnectedState)
            return {QJsonObject(), QStringLiteral("The running copy did not answer")};
        socket.waitForReadyRead(static_cast<int>(std::max<qint64>(1, deadline.remainingTime())));
    }
    const QJsonDocument reply = QJsonDocument::fromJson(socket.readLine());
    if (!reply.isObject())
        return {QJsonObject(), QStringLiteral("The running copy gave no answer it understands")};
    return {reply.object(), QString()};
}

QString joined(const QJsonArray& names)
{
    QStringList list;
    for (const QJsonValue& name : names)
        list.append(name.toString());
    return list.join(QStringLiteral(", "));
}

// A failed reply: its error, and for an unknown name the names there are. Returns 1.
int reportFailure(const QJsonObject& reply, std::FILE* err, bool automaticToo)
{
    printLine(err, reply.value(QStringLiteral("error")).toString());
    if (reply.contains(QStringLiteral("presets"))) {
        QJsonArray names = reply.value(QStringLiteral("presets")).toArray();
        if (automaticToo)
            names.prepend(QString::fromLatin1(AppState::kAutomaticPresetChoice));
        printLine(err, QStringLiteral("Presets: %1").arg(joined(names)));
    }
    return Exit::failed;
}

QString number(const QJsonValue& value, int decimals)
{
    return value.isDouble() ? QLocale::c().toString(value.toDouble(), 'f', decimals)
                            : QStringLiteral("--");
}

void printStatus(const QJsonObject& status, std::FILE* out)
{
    printLine(out, QStringLiteral("Preset: %1, boost %2 %")
                       .arg(status.value(QStringLiteral("activePreset")).toString(),
                            number(status.value(QStringLiteral("boostPercent")), 0)));
    const QJsonValue phase = status.value(QStringLiteral("phase"));
    printLine(out,
              QStringLiteral("Helper: %1%2")
                  .arg(status.value(QStringLiteral("helper")).toString(),
                       phase.isString() ? QStringLiteral(", ") + phase.toString() : QString()));
    printLine(out, QStringLiteral("Temperatures: system %1 °C, CPU %2 °C, GPU %3 °C")
                       .arg(number(status.value(QStringLiteral("systemCelsius")), 1),
                            number(status.value(QStringLiteral("cpuCelsius")), 1),
                            number(status.value(QStringLiteral("gpuCelsius")), 1)));
    for (const QJsonValue& value : status.value(QStringLiteral("fans")).toArray()) {
        const QJsonObject fan = value.toObject();
        printLine(out, QStringLiteral("%1: %2 rpm, target %3 rpm (%4 to %5 rpm)")
                           .arg(fan.value(QStringLiteral("name")).toString(),
                                number(fan.value(QStringLiteral("rpm")), 0),
                                number(fan.value(QStringLiteral("targetRPM")), 0),
                                number(fan.value(QStringLiteral("minRPM")), 0),
                                number(fan.value(QStringLiteral("maxRPM")), 0)));
    }
    printLine(out, QStringLiteral("Presets: %1")
                       .arg(joined(status.value(QStringLiteral("presets")).toArray())));
}

int writeExport(const QByteArray& data, const QString& path, std::FILE* err)
{
    QString error;
    if (!PresetFile::writeAtomically(path, data, &error)) {
        printLine(err, QStringLiteral("Cannot write %1: %2").arg(path, error));
        return Exit::failed;
    }
    return Exit::succeeded;
}

// No copy runs: the store on the preset file, written as the app writes it.
int exportDirectly(const LaunchOptions& options, UserDefaults& defaults, std::FILE* err)
{
    const PresetStore store(2, std::nullopt, defaults);
    for (const FanPreset& preset : store.presets())
        if (preset.name == options.presetName)
            return writeExport(PresetImport::encode(preset), options.filePath, err);
    QJsonObject reply =
        AppCommands::failure(QStringLiteral("No preset is named \"%1\"").arg(options.presetName));
    QJsonArray names;
    for (const FanPreset& preset : store.presets())
        names.append(preset.name);
    reply.insert(QStringLiteral("presets"), names);
    return reportFailure(reply, err, false);
}

int cannotImport(const QString& path, const QString& reason, std::FILE* err)
{
    printLine(err, QStringLiteral("Cannot import %1: %2").arg(path, reason));
    return Exit::failed;
}

int importDirectly(const QByteArray& data, const QString& path, UserDefaults& defaults,
                   std::FILE* out, std::FILE* err)
{
    QList<FanPreset> decoded;
    try {
        decoded = PresetImport::decode(data);
    } catch (const JSONDecodeError& error) {
        printLine(err, QStringLiteral("Cannot import %1: %2").arg(path, error.description()));
        return Exit::failed;
    }
    PresetStore store(2, std::nullopt, defaults);
    const std::optional<QList<FanPreset>> added = store.importPresets(decoded);
    if (!added) {
        printLine(err, QString::fromLatin1(AppCommands::kLimitReached));
        return Exit::failed;
    }
    for (const FanPreset& preset : *added)
        printLine(out, QStringLiteral("Imported \"%1\"").arg(preset.name));
    return Exit::succeeded;
}

} // namespace

int InstanceCommands::run(const LaunchOptions& options, UserDefaults& defaults, std::FILE* out,
                          std::FILE* err)
{
    using Mode = LaunchOptions::Mode;
    QJsonObject request;
    QByteArray importData;
    switch (options.mode) {
    case Mode::status:
        request = {{QStringLiteral("command"), QStringLiteral("status")}};
        break;
    case Mode::activatePreset:
        request = {{QStringLiteral("command"), QStringLiteral("activatePreset")},
                   {QStringLiteral("name"), options.presetName}};
        break;
    case Mode::boost:
        request = {{QStringLiteral("command"), QStringLiteral("boost")},
                   {QStringLiteral("percent"), options.boostPercent}};
        break;
    case Mode::exportPreset:
        request = {{QStringLiteral("command"), QStringLiteral("exportPreset")},
                   {QStringLiteral("name"), options.presetName}};
        break;
    case Mode::importPreset:
        // Read and checked here, bounded, so that a file the running copy could not open makes
        // no difference, and bytes that are no UTF-8 are refused rather than replaced in transit.
        try {
            importData = PresetImport::readFile(options.filePath);
            PresetImport::decode(importData);
        } catch (const FileReadError& error) {
            return cannotImport(options.filePath, error.description(), err);
        } catch (const JSONDecodeError& error) {
            return cannotImport(options.filePath, error.description(), err);
        }
        request = {{QStringLiteral("command"), QStringLiteral("importPreset")},
                   {QStringLiteral("data"), QString::fromUtf8(importData)}};
        break;
    default:
        return Exit::badArguments;
    }

    const Connection connection = send(request);
    if (!connection.reply) {
        if (options.mode == Mode::exportPreset)
            return exportDirectly(options, defaults, err);
        if (options.mode == Mode::importPreset)
            return importDirectly(importData, options.filePath, defaults, out, err);
        printLine(err, QString::fromLatin1(kNotRunning));
        return Exit::notRunning;
    }
    if (!connection.error.isEmpty()) {
        printLine(err, connection.error);
        return Exit::failed;
    }
    const QJsonObject& reply = *connection.reply;
    if (!reply.value(QStringLiteral("ok")).toBool()) {
        if (options.mode == Mode::importPreset &&
            reply.value(QStringLiteral("error")).toString() !=
                QLatin1StringView(AppCommands::kLimitReached)) {
            printLine(err,
                      QStringLiteral("Cannot import %1: %2")
                          .arg(options.filePath, reply.value(QStringLiteral("error")).toString()));
            return Exit::failed;
        }
        return reportFailure(reply, err, options.mode == Mode::activatePreset);
    }
    switch (options.mode) {
    case Mode::status: {
        const QJsonObject status = reply.value(QStringLiteral("status")).toObject();
        if (options.json)
            std::fputs(QJsonDocument(status).toJson(QJsonDocument::Compact).append('\n'), out);
        else
            printStatus(status, out);
        break;
    }
    case Mode::exportPreset:
        return writeExport(reply.value(QStringLiteral("data")).toString().toUtf8(),
                           options.filePath, err);
    case Mode::importPreset:
        for (const QJsonValue& name : reply.value(QStringLiteral("imported")).toArray())
            printLine(out, QStringLiteral("Imported \"%1\"").arg(name.toString()));
        break;
    default:
        break;
    }
    return Exit::succeeded;
}

} // namespace brisvane
