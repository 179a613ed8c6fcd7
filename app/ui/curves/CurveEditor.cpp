#include "app/ui/curves/CurveEditor.h"

#include "app/core/ControlEngine.h"
#include "app/core/PresetStore.h"
#include "app/core/SharedFanName.h"
#include "app/ui/curves/CurveChart.h"
#include "app/ui/curves/CurveFans.h"
#include "app/ui/design/PresetCaption.h"

#include <algorithm>
#include <cmath>

namespace brisvane {
namespace {

FanCurvePoint clamped(double tempC, double percent)
{
    return {std::clamp(tempC, FanCurve::kMinimumTempC, FanCurve::kMaximumTempC),
            std::clamp(percent, 0.0, 100.0)};
}

} // namespace

CurveEditor::CurveEditor(PresetStore& store, ControlEngine& engine, QObject* parent)
    : QObject(parent)
    , m_store(&store)
    , m_engine(&engine)
{
    observeStore();
}

CurveEditor::CurveEditor(QObject* parent)
    : QObject(parent)
{}

void CurveEditor::setPresets(PresetStore* store)
{
    if (store == m_store)
        return;
    if (m_store)
        disconnect(m_store, nullptr, this, nullptr);
    m_store = store;
    m_draft.reset();
    observeStore();
    emit presetsChanged();
    emit selectionChanged();
    emit displayedCurveChanged();
    emit canAddPresetChanged();
}

void CurveEditor::setEngine(ControlEngine* engine)
{
    if (engine == m_engine)
        return;
    m_engine = engine;
    emit engineChanged();
}

void CurveEditor::observeStore()
{
    if (!m_store)
        return;
    // Without a choice of its own the editor follows the store (active, then first presets).
    for (const auto signal : {&PresetStore::presetsChanged, &PresetStore::activePresetChanged}) {
        connect(m_store, signal, this, &CurveEditor::selectionChanged);
        connect(m_store, signal, this, &CurveEditor::displayedCurveChanged);
        connect(m_store, signal, this, &CurveEditor::fanChoiceChanged);
    }
    connect(m_store, &PresetStore::canAddPresetChanged, this, &CurveEditor::canAddPresetChanged);
}

std::optional<FanPreset> CurveEditor::selectedPreset() const
{
    if (!m_store)
        return std::nullopt;
    if (m_selectedPresetID) {
        if (const FanPreset* chosen = m_store->presetWithID(*m_selectedPresetID))
            return *chosen;
    }
    if (m_store->activePreset())
        return m_store->activePreset();
    const QList<FanPreset>& presets = m_store->presets();
    const auto user = std::find_if(presets.cbegin(), presets.cend(),
                                   [](const FanPreset& preset) { return !preset.isBuiltIn; });
    if (user != presets.cend())
        return *user;
    if (!presets.isEmpty())
        return presets.first();
    return std::nullopt;
}

void CurveEditor::setSelectedPresetID(const std::optional<QUuid>& id)
{
    if (id == m_selectedPresetID && !m_draft)
        return;
    m_selectedPresetID = id;
    m_draft.reset();
    m_fanChoice.reset();
    setUnifyPending(false);
    emit selectionChanged();
    emit displayedCurveChanged();
    emit fanChoiceChanged();
}

int CurveEditor::fanCount() const
{
    return m_store ? m_store->fanCount() : 0;
}

int CurveEditor::allFansChoice()
{
    return CurveFans::kAllFans;
}

int CurveEditor::fanChoice() const
{
    if (m_fanChoice)
        return CurveFans::validChoice(*m_fanChoice, fanCount());
    const std::optional<FanPreset> preset = selectedPreset();
    return preset ? CurveFans::initialChoice(preset->curves, fanCount()) : CurveFans::kAllFans;
}

QVariantList CurveEditor::fanChoices() const
{
    QVariantList entries{QVariantMap{{QStringLiteral("choice"), CurveFans::kAllFans},
                                     {QStringLiteral("name"), qtTrId("curves.fanPicker.allFans")}}};
    const int count = fanCount();
    for (int fan = 0; fan < count; ++fan)
        entries.append(QVariantMap{{QStringLiteral("choice"), fan},
                                   {QStringLiteral("name"), sharedFanName(fan, count)}});
    return entries;
}

void CurveEditor::chooseFan(int choice)
{
    choice = CurveFans::validChoice(choice, fanCount());
    const std::optional<FanPreset> preset = selectedPreset();
    if (preset && CurveFans::needsUnifyConfirmation(preset->curves, fanCount(), choice)) {
        setUnifyPending(true);
        return;
    }
    setUnifyPending(false);
    const bool changed = choice != fanChoice();
    m_fanChoice = choice;
    if (m_draft)
        m_draft.reset();
    if (changed)
        emit fanChoiceChanged();
    emit displayedCurveChanged();
}

void CurveEditor::confirmUnify()
{
    if (!m_unifyPending)
        return;
    setUnifyPending(false);
    std::optional<FanPreset> preset = selectedPreset();
    if (preset && !preset->isBuiltIn && m_store) {
        const FanCurve shown = CurveFans::shownCurve(preset->curves, fanChoice());
        preset->curves =
            CurveFans::withEdit(preset->curves, CurveFans::kAllFans, fanCount(), shown);
        m_draft.reset();
        m_store->update(*preset);
        if (m_engine)
            m_engine->pushSoon();
    }
    m_fanChoice = CurveFans::kAllFans;
    emit fanChoiceChanged();
    emit displayedCurveChanged();
}

void CurveEditor::cancelUnify()
{
    setUnifyPending(false);
}

void CurveEditor::setUnifyPending(bool pending)
{
    if (m_unifyPending == pending)
        return;
    m_unifyPending = pending;
    emit unifyPendingChanged();
}

QList<FanCurve> CurveEditor::otherFansCurves() const
{
    const std::optional<FanPreset> preset = m_draft ? m_draft : selectedPreset();
    return preset ? CurveFans::otherFansCurves(preset->curves, fanChoice(), fanCount())
                  : QList<FanCurve>{};
}

FanPreset::Source CurveEditor::presetSource() const
{
    const std::optional<FanPreset> preset = selectedPreset();
    return preset ? preset->source() : FanPreset::Source::appSetting;
}

namespace {

// The "Follows" picker's entries, in order.
constexpr FanPreset::Source kSourceChoices[] = {
    FanPreset::Source::appSetting,
    FanPreset::Source::cpu,
    FanPreset::Source::gpu,
    FanPreset::Source::hottestCore,
};

} // namespace

QVariantList CurveEditor::sourceChoices()
{
    QVariantList entries;
    for (const FanPreset::Source source : kSourceChoices)
        entries.append(QVariantMap{{QStringLiteral("choice"), static_cast<int>(source)},
                                   {QStringLiteral("name"), PresetCaption::sourceName(source)}});
    return entries;
}

void CurveEditor::chooseSource(FanPreset::Source source)
{
    if (std::ranges::find(kSourceChoices, source) != std::end(kSourceChoices))
        setPresetSource(source);
}

void CurveEditor::setPresetSource(FanPreset::Source source)
{
    std::optional<FanPreset> preset = selectedPreset();
    // Compared as text: choosing the app's setting also drops a text this build does not know.
    if (!preset || preset->isBuiltIn || !m_store ||
        preset->temperatureSourceText == FanPreset::sourceText(source))
        return;
    preset->setSource(source);
    m_store->update(*preset);
    if (m_engine)
        m_engine->pushSoon();
}

void CurveEditor::adoptInitialSelection()
{
    if (const auto shown = selectedPreset())
        setSelectedPresetID(shown->id);
}

FanCurve CurveEditor::displayedCurve() const
{
    const std::optional<FanPreset> preset = m_draft ? m_draft : selectedPreset();
    return preset ? CurveFans::shownCurve(preset->curves, fanChoice()) : FanCurve{};
}

bool CurveEditor::isEditable() const
{
    const auto preset = selectedPreset();
    return preset && !preset->isBuiltIn;
}

QString CurveEditor::selectedID() const
{
    const auto preset = selectedPreset();
    return preset ? preset->id.toString(QUuid::WithoutBraces) : QString();
}

QString CurveEditor::presetName() const
{
    const auto preset = selectedPreset();
    return preset ? preset->name : QString();
}

QString CurveEditor::presetSymbol() const
{
    const auto preset = selectedPreset();
    return preset ? preset->symbolName : QString();
}

bool CurveEditor::isBuiltIn() const
{
    const auto preset = selectedPreset();
    return preset && preset->isBuiltIn;
}

bool CurveEditor::canAddPreset() const
{
    return m_store && m_store->canAddPreset();
}

QVariantList CurveEditor::menuEntries(bool builtIn) const
{
    QVariantList entries;
    if (!m_store)
        return entries;
    for (const FanPreset& preset : m_store->presets()) {
        if (preset.isBuiltIn != builtIn)
            continue;
        entries.append(QVariantMap{{QStringLiteral("id"), preset.id.toString(QUuid::WithoutBraces)},
                                   {QStringLiteral("name"), preset.name},
                                   {QStringLiteral("symbolName"), preset.symbolName}});
    }
    return entries;
}

void CurveEditor::select(const QString& id)
{
    setSelectedPresetID(QUuid::fromString(id));
}

void CurveEditor::customize()
{
    if (const auto preset = selectedPreset(); preset && preset->isBuiltIn)
        duplicateForEditing(*preset);
}

void CurveEditor::edit(const std::function<void(FanCurve&)>& change, bool isFinal)
{
    std::optional<FanPreset> preset = m_draft ? m_draft : selectedPreset();
    if (!preset || preset->isBuiltIn || !m_store)
        return;
    // The choice is fixed before the first write: an edit must not move the picker.
    const int choice = fanChoice();
    m_fanChoice = choice;
    FanCurve curve = CurveFans::shownCurve(preset->curves, choice);
    change(curve);
    preset->curves = CurveFans::withEdit(preset->curves, choice, fanCount(), curve);
    if (!isFinal) {
        m_draft = std::move(preset);
        emit displayedCurveChanged();
        return;
    }
    m_draft.reset();
    m_store->update(*preset);
    if (m_engine)
        m_engine->pushSoon();
    emit displayedCurveChanged();
}

void CurveEditor::movePoint(int index, double tempC, double percent, bool isFinal)
{
    if (std::isnan(tempC) || std::isnan(percent))
        return;
    edit([&](FanCurve& curve) { curve.move(index, clamped(tempC, percent)); }, isFinal);
}

void CurveEditor::nudgePoint(int index, int temperatureSteps, int percentSteps, bool large)
{
    const FanCurve curve = displayedCurve();
    if (index < 0 || index >= curve.points.size())
        return;
    const double step = large ? kLargeNudgeStep : kNudgeStep;
    const FanCurvePoint& point = curve.points[index];
    movePoint(index, point.tempC + temperatureSteps * step, point.percent + percentSteps * step,
              true);
}

void CurveEditor::setPointTemperature(int index, double tempC)
{
    const FanCurve curve = displayedCurve();
    if (index >= 0 && index < curve.points.size())
        movePoint(index, tempC, curve.points[index].percent, true);
}

void CurveEditor::setPointPercent(int index, double percent)
{
    const FanCurve curve = displayedCurve();
    if (index >= 0 && index < curve.points.size())
        movePoint(index, curve.points[index].tempC, percent, true);
}

void CurveEditor::addPoint(double tempC, double percent)
{
    const FanCurve shown = displayedCurve();
    const bool crowded =
        std::any_of(shown.points.cbegin(), shown.points.cend(), [&](const FanCurvePoint& point) {
            return std::abs(point.tempC - tempC) < CurveChart::kMinimumSpacingC;
        });
    if (crowded || std::isnan(tempC) || std::isnan(percent))
        return;
    edit([&](FanCurve& curve) { curve.insert(clamped(tempC, percent)); }, true);
}

void CurveEditor::deletePoint(int index)
{
    if (!canDeletePoint() || index < 0 || index >= displayedCurve().points.size())
        return;
    edit([&](FanCurve& curve) { curve.points.removeAt(index); }, true);
}

QString CurveEditor::newPresetName(const QList<FanPreset>& presets)
{
    const auto taken = [&](const QString& name) {
        return std::any_of(presets.cbegin(), presets.cend(),
                           [&](const FanPreset& preset) { return preset.name == name; });
    };
    QString name = qtTrId("curves.newPresetName.base");
    for (int number = 2; taken(name); ++number)
        name = qtTrId("curves.newPresetName.numbered").arg(number);
    return name;
}

std::optional<FanPreset> CurveEditor::createPreset()
{
    if (!m_store || !m_store->canAddPreset())
        return std::nullopt;
    std::optional<FanPreset> created = m_store->addPreset(newPresetName(m_store->presets()));
    if (created)
        setSelectedPresetID(created->id);
    return created;
}

std::optional<FanPreset> CurveEditor::duplicateForEditing(const FanPreset& preset)
{
    if (!m_store)
        return std::nullopt;
    std::optional<FanPreset> copy = m_store->duplicate(preset);
    if (copy)
        setSelectedPresetID(copy->id);
    return copy;
}

QString CurveEditor::customizeToolTip(bool canAddPreset)
{
    return canAddPreset ? QString()
                        : qtTrId("presets.limitReachedHelp").arg(PresetStore::kMaximumUserPresets);
}

} // namespace brisvane
