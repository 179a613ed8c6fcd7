#pragma once
// The curves screen's editing: which preset is shown, the draft of a drag in progress, and every
// move, add and delete, which edits the first curve, writes it to every fan, stores the preset
// and asks the engine for a push. Built-in presets are never changed here.

#include "app/core/FanPreset.h"

#include <QObject>
#include <QUuid>
#include <QtQml/qqmlregistration.h>

#include <functional>
#include <optional>

namespace brisvane {

class ControlEngine;
class PresetStore;

class CurveEditor : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("made by the curves screen from the app state")

public:
    static constexpr double kNudgeStep = 1;
    static constexpr double kLargeNudgeStep = 5; // with Shift

    // Both must outlive the editor.
    CurveEditor(PresetStore& store, ControlEngine& engine, QObject* parent = nullptr);

    // The chosen id, else the active preset, else the first user preset, else the first preset.
    std::optional<FanPreset> selectedPreset() const;
    const std::optional<QUuid>& selectedPresetID() const { return m_selectedPresetID; }
    // Any change of selection drops the draft.
    void setSelectedPresetID(const std::optional<QUuid>& id);
    // On appearing: the shown preset becomes the chosen one.
    void adoptInitialSelection();

    const std::optional<FanPreset>& draftPreset() const { return m_draft; }
    // The draft's first curve, else the selected preset's; empty without either.
    FanCurve displayedCurve() const;
    bool isEditable() const;

    // A drag step (`isFinal` false, kept in the draft) or its end (stored, then pushed).
    // Values are clamped to 20–110 °C and 0–100 % before FanCurve::move's limits apply.
    Q_INVOKABLE void movePoint(int index, double tempC, double percent, bool isFinal);
    // Arrow keys: one step (or five with `large`) in temperature and percent; commits.
    Q_INVOKABLE void nudgePoint(int index, int temperatureSteps, int percentSteps, bool large);
    // Ignored within 2 °C of a point of the displayed curve.
    Q_INVOKABLE void addPoint(double tempC, double percent);
    // Refused for the last point.
    Q_INVOKABLE void deletePoint(int index);
    bool canDeletePoint() const { return displayedCurve().points.size() >= 2; }

    // A user preset named "My Curve", "My Curve 2", … (the first free name); selected, not
    // activated. Nothing at the user-preset limit.
    std::optional<FanPreset> createPreset();
    // An editable copy of `preset`, selected and not activated.
    std::optional<FanPreset> duplicateForEditing(const FanPreset& preset);
    static QString newPresetName(const QList<FanPreset>& presets);
    // The customize button's tooltip: the limit text when no preset can be added, else "".
    static QString customizeToolTip(bool canAddPreset);

signals:
    void selectionChanged();
    void displayedCurveChanged();

private:
    void edit(const std::function<void(FanCurve&)>& change, bool isFinal);

    PresetStore& m_store;
    ControlEngine& m_engine;
    std::optional<QUuid> m_selectedPresetID;
    std::optional<FanPreset> m_draft;
};

} // namespace brisvane
