#pragma once
// The curves screen's editing: which preset is shown, which fan's curve is edited (or all fans
// at once), the draft of a drag in progress, and every move, add and delete, which stores the
// preset and asks the engine for a push. Built-in presets are never changed here.

#include "app/core/ControlEngine.h"
#include "app/core/FanPreset.h"
#include "app/core/PresetStore.h"

#include <QObject>
#include <QPointer>
#include <QUuid>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

#include <functional>
#include <optional>

namespace brisvane {

class CurveEditor : public QObject {
    Q_OBJECT
    QML_ELEMENT

public:
    static constexpr double kNudgeStep = 1;
    static constexpr double kLargeNudgeStep = 5; // with Shift

    // Both must outlive the editor.
    CurveEditor(PresetStore& store, ControlEngine& engine, QObject* parent = nullptr);
    // The screen's editor: idle until it is given the preset store and the engine.
    explicit CurveEditor(QObject* parent = nullptr);

    Q_PROPERTY(brisvane::PresetStore* presets READ presets WRITE setPresets NOTIFY presetsChanged)
    PresetStore* presets() const { return m_store; }
    void setPresets(PresetStore* store);
    // Pushes each stored change.
    Q_PROPERTY(brisvane::ControlEngine* engine READ engine WRITE setEngine NOTIFY engineChanged)
    ControlEngine* engine() const { return m_engine; }
    void setEngine(ControlEngine* engine);

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

    // The fan picker: CurveFans::kAllFans or a fan index. Opens on "All fans" when the shown
    // preset's fans share one curve, else on the first fan; a new selection opens afresh.
    Q_PROPERTY(int fanChoice READ fanChoice NOTIFY fanChoiceChanged)
    int fanChoice() const;
    Q_PROPERTY(int allFansChoice READ allFansChoice CONSTANT)
    static int allFansChoice();
    // {choice, name} per entry: "All fans", then each fan by its display name.
    Q_PROPERTY(QVariantList fanChoices READ fanChoices NOTIFY presetsChanged)
    QVariantList fanChoices() const;
    // Only a machine with more than one fan has a choice to make.
    Q_PROPERTY(bool showsFanPicker READ showsFanPicker NOTIFY presetsChanged)
    bool showsFanPicker() const { return fanCount() > 1; }
    // Takes the choice at once, except "All fans" on fans that differ: that waits for
    // confirmUnify (unifyPending true) and writes nothing until then.
    Q_INVOKABLE void chooseFan(int choice);
    Q_PROPERTY(bool unifyPending READ unifyPending NOTIFY unifyPendingChanged)
    bool unifyPending() const { return m_unifyPending; }
    // Every fan then follows the curve shown now; stored and pushed.
    Q_INVOKABLE void confirmUnify();
    Q_INVOKABLE void cancelUnify();
    // The other fans' curves, drawn faintly behind the edited one.
    QList<FanCurve> otherFansCurves() const;

    // The temperature the shown preset follows; only user presets can change it (stored and
    // pushed).
    FanPreset::Source presetSource() const;
    void setPresetSource(FanPreset::Source source);
    // The "Follows" picker: {choice, name} per entry, the app's setting first; the choice is
    // the entry's FanPreset::Source. A value that names no entry is ignored.
    Q_PROPERTY(QVariantList sourceChoices READ sourceChoices CONSTANT)
    static QVariantList sourceChoices();
    Q_PROPERTY(brisvane::FanPreset::Source sourceChoice READ presetSource NOTIFY selectionChanged)
    Q_INVOKABLE void chooseSource(brisvane::FanPreset::Source source);

    // The chosen id, else the active preset, else the first user preset, else the first preset.
    std::optional<FanPreset> selectedPreset() const;
    const std::optional<QUuid>& selectedPresetID() const { return m_selectedPresetID; }
    // Any change of selection drops the draft.
    void setSelectedPresetID(const std::optional<QUuid>& id);
    // On appearing: the shown preset becomes the chosen one.
    Q_INVOKABLE void adoptInitialSelection();

    const std::optional<FanPreset>& draftPreset() const { return m_draft; }
    // The chosen fan's curve (the first fan's for "All fans") of the draft, else of the selected
    // preset; empty without either.
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
    void presetsChanged();
    void engineChanged();
    void selectionChanged();
    void displayedCurveChanged();
    void canAddPresetChanged();
    void fanChoiceChanged();
    void unifyPendingChanged();

private:
    int fanCount() const;
    void setUnifyPending(bool pending);
    void observeStore();
    void edit(const std::function<void(FanCurve&)>& change, bool isFinal);
    QVariantList menuEntries(bool builtIn) const;

    QPointer<PresetStore> m_store;
    QPointer<ControlEngine> m_engine;
    std::optional<QUuid> m_selectedPresetID;
    std::optional<FanPreset> m_draft;
    std::optional<int> m_fanChoice; // nothing: the shown preset's initial choice
    bool m_unifyPending = false;
};

} // namespace brisvane
