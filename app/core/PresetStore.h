#pragma once
// Owns the presets (the two built-ins, rebuilt at every launch, then at most three of the
// user's own), which one is active and the order of the preset slots. The user presets live
// in presets.json; the active choice and the slot order in the user defaults. Main thread only.

#include "app/core/FanPreset.h"
#include "app/core/PresetSlot.h"

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QUrl>
#include <QVariant>

#include <functional>
#include <optional>

namespace brisvane {

class UserDefaults;

class PresetStore : public QObject {
    Q_OBJECT

public:
    static constexpr int kMaximumUserPresets = 3;
    static constexpr char kActivePresetIDKey[] = "activePresetID";
    static constexpr char kPresetSlotOrderKey[] = "presetSlotOrder";
    static constexpr char kNewPresetSymbolName[] = "fanblades";
    static constexpr char kFileName[] = "presets.json";

    // Loads at once. Without `directory` the file is <GenericDataLocation>/Brisvane/presets.json
    // and the slot order is kept in the user defaults; with one (previews, tests) the slot
    // order is neither read nor written. A fanCount below 1 is raised to 1.
    PresetStore(int fanCount, std::optional<QString> directory, UserDefaults& defaults,
                QObject* parent = nullptr);

    // Built-ins first (Cool, Full speed), then the user presets in load/creation order.
    Q_PROPERTY(QList<brisvane::FanPreset> presets READ presets NOTIFY presetsChanged)
    const QList<FanPreset>& presets() const { return m_presets; }

    // Absent = the automatic slot. Every assignment is written to the user defaults (even of
    // the current value), except during activateForSessionOnly; observers hear only changes.
    // The menu bar sets it as UUID text, "" for the automatic slot.
    const std::optional<QUuid>& activePresetID() const { return m_activePresetID; }
    void setActivePresetID(const std::optional<QUuid>& id);
    void setActivePresetIDText(const QString& id);

    // The automatic slot and one slot per preset, in the order the user arranged them.
    const QList<PresetSlot>& slotOrder() const { return m_slotOrder; }

    // The first preset whose id is activePresetID; nothing (QML: null) otherwise.
    const std::optional<FanPreset>& activePreset() const { return m_activePreset; }
    // The preset with that id, or none; valid until the presets next change.
    const FanPreset* presetWithID(const QUuid& id) const;

    // True while fewer than three user presets exist; built-ins do not count.
    Q_PROPERTY(bool canAddPreset READ canAddPreset NOTIFY canAddPresetChanged)
    bool canAddPreset() const { return m_canAddPreset; }

    int fanCount() const { return m_fanCount; }

    bool persistsSlotOrder() const { return m_persistsSlotOrder; }

    QUrl fileURL() const { return QUrl::fromLocalFile(m_filePath); }
    const QString& filePath() const { return m_filePath; }

    // A new user preset named `name` with the default curve for every fan; not activated.
    // Nothing when canAddPreset is false.
    std::optional<FanPreset> addPreset(const QString& name);
    // A user copy of any preset (built-ins too), named "presets.duplicate.name"; not activated.
    std::optional<FanPreset> duplicate(const FanPreset& source);
    // Presets from a file, each as a new user preset (PresetImport::asUserPresets), saved at
    // once; not activated. All or nothing: nothing when they would pass the user-preset limit.
    std::optional<QList<FanPreset>> importPresets(const QList<FanPreset>& decoded);
    // Replaces the stored user preset with the same id in place; built-ins and unknown ids are
    // left alone.
    void update(const FanPreset& preset);
    // Removes a user preset; if it was active, the automatic slot becomes active.
    void deletePreset(const FanPreset& preset);
    // Drag and drop: `source` takes `target`'s place. Writes only when the order changes.
    void moveSlot(const PresetSlot& source, const PresetSlot& target);
    // Makes `id` active for this run only; "activePresetID" keeps the stored choice.
    void activateForSessionOnly(const std::optional<QUuid>& id);

    // The saved order with unknown slots dropped and missing ones appended in natural order
    // (automatic, then the presets in order).
    static QList<PresetSlot> reconciledSlotOrder(const QList<FanPreset>& presets,
                                                 const QList<PresetSlot>& savedOrder);
    static QList<PresetSlot> slotOrder(const QList<PresetSlot>& order, const PresetSlot& moving,
                                       const PresetSlot& onto);

    static FanCurve newPresetCurve();

    // Tests fix the time used to name a set-aside preset file.
    void setClockForTesting(std::function<QDateTime()> now) { m_now = std::move(now); }

signals:
    void presetsChanged();
    void activePresetIDChanged();
    void slotOrderChanged();
    void activePresetChanged();
    void canAddPresetChanged();

private:
    qsizetype userPresetCount() const;
    std::optional<FanPreset> appendUserPreset(FanPreset preset);
    // Assigns without notifying; returns whether the value changed.
    bool assignActivePresetID(const std::optional<QUuid>& id);
    void writeActiveSelection();
    // Recomputes the derived properties and emits every signal in `changed` plus those.
    struct Changes {
        bool presets = false;
        bool activePresetID = false;
        bool slotOrder = false;
    };
    void publish(Changes changes);

    void loadUserPresets();
    void save();
    void persistSlotOrder();

    UserDefaults& m_defaults;
    int m_fanCount;
    bool m_persistsSlotOrder;
    bool m_persistsActiveSelection = true;
    QString m_filePath;

    QList<FanPreset> m_presets;
    std::optional<QUuid> m_activePresetID;
    QList<PresetSlot> m_slotOrder;
    std::optional<FanPreset> m_activePreset;
    bool m_canAddPreset = true;

    // Set when presets.json existed but could not be loaded: the first save moves it aside
    // instead of overwriting the user's only copy of those presets.
    bool m_fileNeedsSettingAside = false;
    QString m_loadFailure;
    std::function<QDateTime()> m_now = [] { return QDateTime::currentDateTime(); };
};

} // namespace brisvane
