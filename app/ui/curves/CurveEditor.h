#pragma once
// The curves screen's editing: which preset is shown, the draft of a drag in progress, and every
// move, add and delete, which edits the first curve, writes it to every fan, stores the preset
// and asks the engine for a push. Built-in presets are never changed here.

#include "app/core/AppState.h"
#include "app/core/FanPreset.h"

#include <QObject>
#include <QPointer>
#include <QUuid>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

#include <functional>
#include <optional>

namespace brisvane {

class ControlEngine;
class PresetStore;

class CurveEditor : public QObject {
    Q_OBJECT
    QML_ELEMENT

public:
    static constexpr double kNudgeStep = 1;
    static constexpr double kLargeNudgeStep = 5; // with Shift

    // Both must outlive the editor.
    CurveEditor(PresetStore& store, ControlEngine& engine, QObject* parent = nullptr);
    // The screen's editor: idle until it is given the app state.
    explicit CurveEditor(QObject* parent = nullptr);

    Q_PROPERTY(brisvane::AppState* appState READ appState WRITE setAppState NOTIFY appStateChanged)
    AppState* appState() const { return m_appState; }
    void setAppState(AppState* state);

    // What the screen shows of the selection: none (the empty state), its name and kind.
    Q_PROPERTY(bool hasPreset READ hasPreset NOTIFY selectionChanged)
    bool hasPreset() const { return selectedPreset().has_value(); }
    Q_PROPERTY(QString selectedID READ selectedID NOTIFY selectionChanged)
    QString selectedID() const;
    Q_PROPERTY(QString presetName READ presetName NOTIFY selectionChanged)
    QString presetName() const;
    Q_PROPERTY(QString presetSymbol READ presetSymbol NOTIFY selectionChanged)
    QString presetSymbol() const;
    Q_PROPERTY(bool isBuiltIn READ isBuiltIn NOTIFY selectionChanged)
    bool isBuiltIn() const;
    Q_PROPERTY(bool isEditable READ isEditable NOTIFY selectionChanged)
    // The menu's two sections, in store order: {id, name, symbolName} each.
    Q_PROPERTY(QVariantList builtInPresets READ builtInPresets NOTIFY selectionChanged)
    QVariantList builtInPresets() const { return menuEntries(true); }
    Q_PROPERTY(QVariantList userPresets READ userPresets NOTIFY selectionChanged)
    QVariantList userPresets() const { return menuEntries(false); }
    Q_PROPERTY(bool canAddPreset READ canAddPreset NOTIFY canAddPresetChanged)
    bool canAddPreset() const;
    Q_PROPERTY(QString customizeToolTip READ customizeToolTip NOTIFY canAddPresetChanged)
    QString customizeToolTip() const { return customizeToolTip(canAddPreset()); }

    // The chosen id, else the active preset, else the first user preset, else the first preset.
    std::optional<FanPreset> selectedPreset() const;
    const std::optional<QUuid>& selectedPresetID() const { return m_selectedPresetID; }
    // Any change of selection drops the draft.
    void setSelectedPresetID(const std::optional<QUuid>& id);
    // On appearing: the shown preset becomes the chosen one.
    Q_INVOKABLE void adoptInitialSelection();

    const std::optional<FanPreset>& draftPreset() const { return m_draft; }
    // The draft's first curve, else the selected preset's; empty without either.
    FanCurve displayedCurve() const;
    bool isEditable() const;

    // The menu's choice; an id that names no preset falls back like any other.
    Q_INVOKABLE void select(const QString& id);
    Q_INVOKABLE void createNewPreset() { createPreset(); }
    // Copies the shown built-in preset into an editable one.
    Q_INVOKABLE void customize();

    // A drag step (`isFinal` false, kept in the draft) or its end (stored, then pushed).
    // Values are clamped to 20–110 °C and 0–100 % before FanCurve::move's limits apply.
    Q_INVOKABLE void movePoint(int index, double tempC, double percent, bool isFinal);
    // Arrow keys: one step (or five with `large`) in temperature and percent; commits.
    Q_INVOKABLE void nudgePoint(int index, int temperatureSteps, int percentSteps, bool large);
    // A typed value for one coordinate of a point; the other keeps its value. Commits.
    Q_INVOKABLE void setPointTemperature(int index, double tempC);
    Q_INVOKABLE void setPointPercent(int index, double percent);
    // Ignored within 2 °C of a point of the displayed curve.
    Q_INVOKABLE void addPoint(double tempC, double percent);
    // Refused for the last point.
    Q_INVOKABLE void deletePoint(int index);
    Q_INVOKABLE bool canDeletePoint() const { return displayedCurve().points.size() >= 2; }

    // A user preset named "My Curve", "My Curve 2", … (the first free name); selected, not
    // activated. Nothing at the user-preset limit.
    std::optional<FanPreset> createPreset();
    // An editable copy of `preset`, selected and not activated.
    std::optional<FanPreset> duplicateForEditing(const FanPreset& preset);
    static QString newPresetName(const QList<FanPreset>& presets);
    // The customize button's tooltip: the limit text when no preset can be added, else "".
    static QString customizeToolTip(bool canAddPreset);

signals:
    void appStateChanged();
    void selectionChanged();
    void displayedCurveChanged();
    void canAddPresetChanged();

private:
    void observeStore();
    void edit(const std::function<void(FanCurve&)>& change, bool isFinal);
    QVariantList menuEntries(bool builtIn) const;

    QPointer<AppState> m_appState;
    PresetStore* m_store = nullptr;
    ControlEngine* m_engine = nullptr;
    std::optional<QUuid> m_selectedPresetID;
    std::optional<FanPreset> m_draft;
};

} // namespace brisvane
