#include "app/core/PresetStore.h"

#include "app/core/JSONDecodeError.h"
#include "app/core/Logging.h"
#include "app/core/Observable.h"
#include "app/core/PresetFile.h"
#include "app/core/PresetImport.h"
#include "app/core/UserDefaults.h"
#include "app/core/UuidText.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>

namespace brisvane {
namespace {

QString defaultDirectory()
{
    // writableLocation is the first of the platform's data locations; on macOS this is
    // ~/Library/Application Support.
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/Brisvane");
}

} // namespace

PresetStore::PresetStore(int fanCount, std::optional<QString> directory, UserDefaults& defaults,
                         QObject* parent)
    : QObject(parent)
    , m_defaults(defaults)
    , m_fanCount(std::max(fanCount, 1))
    , m_persistsSlotOrder(!directory.has_value())
{
    m_filePath =
        QDir(directory.value_or(defaultDirectory())).filePath(QLatin1StringView(kFileName));

    m_presets = FanPreset::builtIns(m_fanCount);
    loadUserPresets();

    QList<PresetSlot> saved;
    if (m_persistsSlotOrder) {
        for (const QString& id :
             m_defaults.stringArrayValue(kPresetSlotOrderKey).value_or(QStringList()))
            if (const std::optional<PresetSlot> slot = PresetSlot::fromID(id))
                saved.append(*slot);
    }
    m_slotOrder = reconciledSlotOrder(m_presets, saved);

    // The stored choice is taken without writing it back: it is already there, and when it came
    // from a launch argument it must not become the stored choice.
    const std::optional<QString> savedActive = m_defaults.stringValue(kActivePresetIDKey);
    if (savedActive) {
        const std::optional<QUuid> id = uuidFromText(*savedActive);
        const bool exists = id && std::any_of(m_presets.cbegin(), m_presets.cend(),
                                              [&](const FanPreset& p) { return p.id == *id; });
        if (exists)
            m_activePresetID = id;
    }
    publish({});

    qCInfo(presetsLog, "loaded: saved=%s active=%s presets=%ld",
           qUtf8Printable(savedActive.value_or(QStringLiteral("none"))),
           qUtf8Printable(m_activePresetID ? uuidText(*m_activePresetID) : QStringLiteral("none")),
           long(m_presets.size()));
}

// --- properties

void PresetStore::setActivePresetIDText(const QString& id)
{
    if (id.isEmpty()) {
        setActivePresetID(std::nullopt);
    } else if (const std::optional<QUuid> uuid = uuidFromText(id)) {
        setActivePresetID(uuid);
    } else {
        qCWarning(presetsLog, "ignored an active preset that is no UUID: %s", qUtf8Printable(id));
    }
}

void PresetStore::setActivePresetID(const std::optional<QUuid>& id)
{
    const bool changed = assignActivePresetID(id);
    writeActiveSelection();
    publish({.activePresetID = changed});
}

bool PresetStore::assignActivePresetID(const std::optional<QUuid>& id)
{
    return assignIfChanged(m_activePresetID, id);
}

void PresetStore::writeActiveSelection()
{
    if (!m_persistsActiveSelection)
        return;
    if (m_activePresetID)
        m_defaults.setString(kActivePresetIDKey, uuidText(*m_activePresetID));
    else
        m_defaults.remove(kActivePresetIDKey);
}

const FanPreset* PresetStore::presetWithID(const QUuid& id) const
{
    const auto it = std::find_if(m_presets.cbegin(), m_presets.cend(),
                                 [&](const FanPreset& p) { return p.id == id; });
    return it != m_presets.cend() ? &*it : nullptr;
}

void PresetStore::publish(Changes changes)
{
    std::optional<FanPreset> active;
    if (const FanPreset* preset = m_activePresetID ? presetWithID(*m_activePresetID) : nullptr)
        active = *preset;
    const bool activePresetChanged = assignIfChanged(m_activePreset, std::move(active));
    const bool canAddChanged =
        assignIfChanged(m_canAddPreset, userPresetCount() < kMaximumUserPresets);

    // Signals go out once the whole operation is done, so no observer sees half of it.
    if (changes.presets)
        emit presetsChanged();
    if (changes.activePresetID)
        emit activePresetIDChanged();
    if (changes.slotOrder)
        emit slotOrderChanged();
    if (activePresetChanged)
        emit this->activePresetChanged();
    if (canAddChanged)
        emit canAddPresetChanged();
}

qsizetype PresetStore::userPresetCount() const
{
    return std::count_if(m_presets.cbegin(), m_presets.cend(),
                         [](const FanPreset& p) { return !p.isBuiltIn; });
}

// --- operations

FanCurve PresetStore::newPresetCurve()
{
    return FanCurve({{55, 0}, {75, 50}, {95, 100}});
}

std::optional<FanPreset> PresetStore::addPreset(const QString& name)
{
    if (!canAddPreset())
        return std::nullopt;
    return appendUserPreset(FanPreset{QUuid::createUuid(), name,
                                      QLatin1StringView(kNewPresetSymbolName),
                                      QList<FanCurve>(m_fanCount, newPresetCurve()), false});
}

std::optional<FanPreset> PresetStore::duplicate(const FanPreset& source)
{
    if (!canAddPreset())
        return std::nullopt;
    FanPreset copy = source;
    copy.id = QUuid::createUuid();
    copy.name = qtTrId("presets.duplicate.name").arg(source.name);
    copy.isBuiltIn = false;
    return appendUserPreset(std::move(copy));
}

std::optional<QList<FanPreset>> PresetStore::importPresets(const QList<FanPreset>& decoded)
{
    if (decoded.isEmpty() || userPresetCount() + decoded.size() > kMaximumUserPresets)
        return std::nullopt;
    const QList<FanPreset> added = PresetImport::asUserPresets(decoded, m_presets);
    m_presets.append(added);
    const bool slotsChanged =
        assignIfChanged(m_slotOrder, reconciledSlotOrder(m_presets, m_slotOrder));
    persistSlotOrder();
    save();
    publish({.presets = true, .slotOrder = slotsChanged});
    return added;
}

std::optional<FanPreset> PresetStore::appendUserPreset(FanPreset preset)
{
    m_presets.append(preset);
    const bool slotsChanged =
        assignIfChanged(m_slotOrder, reconciledSlotOrder(m_presets, m_slotOrder));
    persistSlotOrder();
    save();
    publish({.presets = true, .slotOrder = slotsChanged});
    return preset;
}

void PresetStore::update(const FanPreset& preset)
{
    const auto it = std::find_if(m_presets.begin(), m_presets.end(),
                                 [&](const FanPreset& p) { return p.id == preset.id; });
    if (it == m_presets.end() || it->isBuiltIn)
        return;
    const bool changed = assignIfChanged(*it, preset);
    save();
    publish({.presets = changed});
}

void PresetStore::deletePreset(const FanPreset& preset)
{
    if (preset.isBuiltIn)
        return;
    const bool removed =
        m_presets.removeIf([&](const FanPreset& p) { return p.id == preset.id; }) > 0;
    bool activeChanged = false;
    if (m_activePresetID == preset.id) {
        activeChanged = assignActivePresetID(std::nullopt);
        writeActiveSelection();
    }
    const bool slotsChanged =
        assignIfChanged(m_slotOrder, reconciledSlotOrder(m_presets, m_slotOrder));
    persistSlotOrder();
    save();
    publish({.presets = removed, .activePresetID = activeChanged, .slotOrder = slotsChanged});
}

void PresetStore::moveSlot(const PresetSlot& source, const PresetSlot& target)
{
    QList<PresetSlot> moved = slotOrder(m_slotOrder, source, target);
    if (moved == m_slotOrder)
        return;
    m_slotOrder = std::move(moved);
    persistSlotOrder();
    publish({.slotOrder = true});
}

void PresetStore::activateForSessionOnly(const std::optional<QUuid>& id)
{
    m_persistsActiveSelection = false;
    setActivePresetID(id);
    m_persistsActiveSelection = true;
}

// --- slot order

QList<PresetSlot> PresetStore::reconciledSlotOrder(const QList<FanPreset>& presets,
                                                   const QList<PresetSlot>& savedOrder)
{
    QList<PresetSlot> natural{PresetSlot::automatic()};
    for (const FanPreset& preset : presets)
        natural.append(PresetSlot::preset(preset.id));

    // A slot saved twice (a hand-edited defaults file) is kept once, where it first stands, so
    // that no preset is shown twice.
    QList<PresetSlot> result;
    for (const PresetSlot& slot : savedOrder)
        if (natural.contains(slot) && !result.contains(slot))
            result.append(slot);
    for (const PresetSlot& slot : natural)
        if (!result.contains(slot))
            result.append(slot);
    return result;
}

QList<PresetSlot> PresetStore::slotOrder(const QList<PresetSlot>& order, const PresetSlot& moving,
                                         const PresetSlot& onto)
{
    const qsizetype i = order.indexOf(moving);
    const qsizetype j = order.indexOf(onto);
    if (moving == onto || i < 0 || j < 0)
        return order;
    QList<PresetSlot> result = order;
    result.removeAt(i);
    result.insert(j, moving);
    return result;
}

void PresetStore::persistSlotOrder()
{
    if (!m_persistsSlotOrder)
        return;
    QStringList ids;
    for (const PresetSlot& slot : m_slotOrder)
        ids.append(slot.id());
    m_defaults.setStringArray(kPresetSlotOrderKey, ids);
}

// --- file

void PresetStore::loadUserPresets()
{
    QFile file(m_filePath);
    if (!file.exists())
        return;
    try {
        if (!file.open(QIODevice::ReadOnly))
            throw JSONDecodeError(file.errorString());
        const QByteArray data = file.readAll();
        if (file.error() != QFileDevice::NoError)
            throw JSONDecodeError(file.errorString());
        for (FanPreset& preset : PresetFile::decode(data))
            if (!preset.isBuiltIn)
                m_presets.append(std::move(preset));
    } catch (const JSONDecodeError& error) {
        // The user sees only the built-ins; the file stays as it is until the next save.
        m_fileNeedsSettingAside = true;
        m_loadFailure = error.description();
    }
}

void PresetStore::save()
{
    QList<FanPreset> userPresets;
    std::copy_if(m_presets.cbegin(), m_presets.cend(), std::back_inserter(userPresets),
                 [](const FanPreset& p) { return !p.isBuiltIn; });

    const QString directory = QFileInfo(m_filePath).absolutePath();
    if (!QDir().mkpath(directory)) {
        qCCritical(presetsLog, "save failed: cannot create %s", qUtf8Printable(directory));
        return;
    }

    // One bad entry must not cost the user every preset in the file: keep it beside the new
    // one. If that is impossible, nothing is written and the change lives in memory only.
    if (m_fileNeedsSettingAside) {
        if (QFileInfo::exists(m_filePath) || QFileInfo(m_filePath).isSymLink()) {
            QString error;
            const std::optional<QString> keptAs =
                PresetFile::moveAside(m_filePath, m_now(), &error);
            if (!keptAs) {
                qCCritical(presetsLog, "save failed: cannot move aside the unreadable %s: %s",
                           qUtf8Printable(m_filePath), qUtf8Printable(error));
                return;
            }
            qCCritical(presetsLog, "preset file %s could not be loaded (%s); kept it as %s",
                       qUtf8Printable(m_filePath), qUtf8Printable(m_loadFailure),
                       qUtf8Printable(*keptAs));
        }
        m_fileNeedsSettingAside = false;
    }

    QString error;
    if (!PresetFile::writeAtomically(m_filePath, PresetFile::encode(userPresets), &error))
        qCCritical(presetsLog, "save failed: %s: %s", qUtf8Printable(m_filePath),
                   qUtf8Printable(error));
}

} // namespace brisvane
