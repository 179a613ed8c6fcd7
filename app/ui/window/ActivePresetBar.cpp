#include "app/ui/window/ActivePresetBar.h"

namespace brisvane {

ActivePresetBar::ActivePresetBar(QObject* parent)
    : QAbstractListModel(parent)
{}

void ActivePresetBar::setAppState(AppState* state)
{
    if (m_appState == state)
        return;
    if (m_appState) {
        for (QObject* part : std::initializer_list<QObject*>{
                 &m_appState->presets(), &m_appState->helper(), &m_appState->engine()})
            part->disconnect(this);
    }
    m_appState = state;
    if (state) {
        PresetStore* presets = &state->presets();
        connect(presets, &PresetStore::presetsChanged, this, &ActivePresetBar::updatePills);
        connect(presets, &PresetStore::slotOrderChanged, this, &ActivePresetBar::updatePills);
        connect(presets, &PresetStore::activePresetIDChanged, this, [this] {
            if (!m_pills.isEmpty())
                emit dataChanged(index(0), index(rowCount() - 1), {isActiveRole});
        });
        connect(presets, &PresetStore::activePresetChanged, this, &ActivePresetBar::updateState);
        for (auto signal :
             {&HelperControlling::stateChanged, &HelperControlling::lastStatusChanged})
            connect(&state->helper(), signal, this, &ActivePresetBar::updateState);
        for (auto signal :
             {&ControlEngine::isOverridingChanged, &ControlEngine::quickBoostPercentChanged})
            connect(&state->engine(), signal, this, &ActivePresetBar::updateState);
    }
    updatePills();
    updateState();
    emit appStateChanged();
}

QString ActivePresetBar::statusTint() const
{
    switch (m_state.status ? m_state.status->tint : PresetControlStatus::Tint::neutral) {
    case PresetControlStatus::Tint::accent:
        return QStringLiteral("accent");
    case PresetControlStatus::Tint::warning:
        return QStringLiteral("warning");
    case PresetControlStatus::Tint::neutral:
        break;
    }
    return QStringLiteral("neutral");
}

void ActivePresetBar::updateState()
{
    m_state = m_appState ? ActivePresetState::current(*m_appState) : PresetControlState{};
    if (m_state.status)
        m_captionText = qtTrId(m_state.status->textKey);
    else
        m_captionText =
            m_appState ? PresetCaption::text(m_appState->presets().activePreset()) : QString();
    emit stateChanged();
}

void ActivePresetBar::updatePills()
{
    QList<Pill> pills;
    if (m_appState) {
        const PresetStore& store = m_appState->presets();
        for (const PresetSlot& slot : store.slotOrder()) {
            const FanPreset* preset =
                slot.presetID() ? store.presetWithID(*slot.presetID()) : nullptr;
            // A slot whose preset is gone is shown as a slot without a preset.
            pills.append(preset ? Pill{slot, preset->symbolName, preset->name}
                                : Pill{slot, PresetSlot::automaticSymbolName(),
                                       PresetSlot::automaticTitle()});
        }
    }
    beginResetModel();
    m_pills = std::move(pills);
    endResetModel();
}

int ActivePresetBar::pillCount(const QVariantList& pillWidths, double overflowWidth, double spacing,
                               double availableWidth) const
{
    QList<double> widths;
    for (const QVariant& width : pillWidths)
        widths.append(width.toDouble());
    return PresetPillRow::pillCount(widths, overflowWidth, spacing, availableWidth);
}

void ActivePresetBar::activate(int row)
{
    if (!m_appState || row < 0 || row >= rowCount() || !m_state.isSwitchable())
        return;
    m_appState->presets().setActivePresetID(m_pills[row].slot.presetID());
    m_appState->engine().pushSoon();
}

int ActivePresetBar::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_pills.size());
}

QVariant ActivePresetBar::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const Pill& pill = m_pills[index.row()];
    switch (role) {
    case slotIDRole:
        return pill.slot.id();
    case symbolNameRole:
        return pill.symbolName;
    case titleRole:
        return pill.slot.isAutomatic() ? pill.fullTitle
                                       : PresetPillTitle::shortened(pill.fullTitle);
    case fullTitleRole:
        return pill.fullTitle;
    case isActiveRole:
        return m_appState && m_appState->presets().activePresetID() == pill.slot.presetID();
    default:
        return {};
    }
}

QHash<int, QByteArray> ActivePresetBar::roleNames() const
{
    return {{slotIDRole, "slotID"},
            {symbolNameRole, "symbolName"},
            {titleRole, "title"},
            {fullTitleRole, "fullTitle"},
            {isActiveRole, "isActive"}};
}

} // namespace brisvane
