#include "app/core/PresetFile.h"

#include "app/core/JSONDecodeError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace brisvane {
namespace {

int retryingFsync(int fd)
{
    int result;
    do {
        result = ::fsync(fd);
    } while (result != 0 && errno == EINTR);
    return result;
}

// Makes the rename itself durable; a failure here loses nothing already written.
void syncDirectory(const QString& directory)
{
    const int fd = ::open(QFile::encodeName(directory).constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return;
    retryingFsync(fd);
    ::close(fd);
}

} // namespace

QList<FanPreset> PresetFile::decode(const QByteArray& data)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(data, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        throw JSONDecodeError(QStringLiteral("not JSON: %1 at offset %2")
                                  .arg(parseError.errorString())
                                  .arg(parseError.offset));
    if (!document.isArray())
        throw JSONDecodeError(QStringLiteral("the file does not hold an array"));

    QList<FanPreset> presets;
    const QJsonArray array = document.array();
    for (qsizetype i = 0; i < array.size(); ++i) {
        try {
            presets.append(FanPreset::fromJson(array.at(i)));
        } catch (const JSONDecodeError& error) {
            throw JSONDecodeError(QStringLiteral("entry %1: %2").arg(i).arg(error.description()));
        }
    }
    return presets;
}

QByteArray PresetFile::encode(const QList<FanPreset>& presets)
{
    // QJsonObject keeps its keys sorted, so the output has them in alphabetical order.
    QJsonArray array;
    for (const FanPreset& preset : presets)
        array.append(preset.toJson());
    return QJsonDocument(array).toJson(QJsonDocument::Indented);
}

bool PresetFile::writeAtomically(const QString& path, const QByteArray& data, QString* error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = file.errorString();
        return false;
    }
    if (file.write(data) != data.size() || !file.flush()) {
        *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    // The data must be on disk before the rename publishes it, or a crash could leave an
    // empty file in place of the old one.
    if (retryingFsync(file.handle()) != 0) {
        *error = QString::fromLocal8Bit(std::strerror(errno));
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        *error = file.errorString();
        return false;
    }
    syncDirectory(QFileInfo(path).absolutePath());
    return true;
}

std::optional<QString> PresetFile::moveAside(const QString& path, const QDateTime& now,
                                             QString* error)
{
    const QString base = path + QStringLiteral(".bad-") + now.toString(u"yyyyMMdd'T'HHmmss");
    QString target = base;
    for (int n = 2; QFileInfo::exists(target) || QFileInfo(target).isSymLink(); ++n)
        target = base + QLatin1Char('-') + QString::number(n);
    QFile file(path);
    if (!file.rename(target)) {
        *error = file.errorString();
        return std::nullopt;
    }
    syncDirectory(QFileInfo(path).absolutePath());
    return target;
}

} // namespace brisvane
