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

StatusTint::Tint ActivePresetBar::statusTint() const
{
    switch (m_state.status ? m_state.status->tint : PresetControlStatus::Tint::neutral) {
    case PresetControlStatus::Tint::accent:
        return StatusTint::Tint::Accent;
    case PresetControlStatus::Tint::warning:
        return StatusTint::Tint::Warning;
    case PresetControlStatus::Tint::neutral:
        break;
    }
    return StatusTint::Tint::Secondary;
}

void ActivePresetBar::updateState()
{
    m_state = m_appState ? ActivePresetState::current(m_appState->helper(), m_appState->engine())
                         : PresetControlState{};
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
    // Row by row, so that each pill keeps its delegate: a curve's commit changes nothing here,
    // a rename changes one row, a new slot order moves pills, which the row animates.
    const auto position = [](const QList<Pill>& list, const QString& id, qsizetype from) {
        for (qsizetype i = from; i < list.size(); ++i) {
            if (list[i].slot.id() == id)
                return i;
        }
        return qsizetype(-1);
    };
    for (qsizetype i = m_pills.size() - 1; i >= 0; --i) {
        if (position(pills, m_pills[i].slot.id(), 0) < 0) {
            beginRemoveRows({}, static_cast<int>(i), static_cast<int>(i));
            m_pills.removeAt(i);
            endRemoveRows();
        }
    }
    for (qsizetype target = 0; target < pills.size(); ++target) {
        const qsizetype found = position(m_pills, pills[target].slot.id(), target);
        const int row = static_cast<int>(target);
        if (found < 0) {
            beginInsertRows({}, row, row);
            m_pills.insert(target, pills[target]);
            endInsertRows();
            continue;
        }
        if (found != target) {
            beginMoveRows({}, static_cast<int>(found), static_cast<int>(found), {}, row);
            m_pills.move(found, target);
            endMoveRows();
        }
        Pill& pill = m_pills[target];
        if (pill.symbolName != pills[target].symbolName ||
            pill.fullTitle != pills[target].fullTitle) {
            pill = pills[target];
            emit dataChanged(index(row), index(row), {symbolNameRole, titleRole, fullTitleRole});
        }
    }
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
