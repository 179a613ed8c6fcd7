#pragma once
// One entry of the slot order: a preset (by id) or the automatic slot, where macOS keeps
// control of the fans.

#include <QHashFunctions>
#include <QMetaType>
#include <QString>
#include <QUuid>

#include <optional>

namespace brisvane {

class PresetSlot {
    Q_GADGET
    Q_PROPERTY(QString id READ id)
    Q_PROPERTY(bool isAutomatic READ isAutomatic)
    Q_PROPERTY(QUuid presetID READ presetUuid) // null for the automatic slot

public:
    static PresetSlot automatic() { return PresetSlot(); }
    static PresetSlot preset(const QUuid& id) { return PresetSlot(id); }

    // How the automatic slot is shown wherever slots are listed.
    static QString automaticSymbolName() { return QStringLiteral("gearshape"); }
    static QString automaticTitle();

    // The inverse of id(): "automatic", or any UUID text; anything else is no slot.
    static std::optional<PresetSlot> fromID(QStringView id);

    // "automatic", or the preset's UUID as canonical upper-case text.
    QString id() const;
    bool isAutomatic() const { return !m_presetID.has_value(); }
    const std::optional<QUuid>& presetID() const { return m_presetID; }

    friend bool operator==(const PresetSlot&, const PresetSlot&) = default;

    // Needed by QMetaType for QList<PresetSlot>; the automatic slot.
    PresetSlot() = default;

private:
    explicit PresetSlot(const QUuid& id)
        : m_presetID(id)
    {}
    QUuid presetUuid() const { return m_presetID.value_or(QUuid()); }

    std::optional<QUuid> m_presetID;
};

inline size_t qHash(const PresetSlot& slot, size_t seed = 0)
{
    return slot.isAutomatic() ? qHashMulti(seed, 0) : qHashMulti(seed, 1, *slot.presetID());
}

} // namespace brisvane

Q_DECLARE_METATYPE(brisvane::PresetSlot)
