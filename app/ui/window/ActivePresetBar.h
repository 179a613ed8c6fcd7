#pragma once
// What the header's pills and caption show: one row per preset slot in the user's order, the
// control state that enables the pills, and the caption. QML draws it.

#include "app/core/AppState.h"
#include "app/ui/design/StatusTint.h"
#include "app/ui/window/PresetControlState.h"

#include <QAbstractListModel>
#include <QPointer>
#include <QtQml/qqmlregistration.h>

namespace brisvane {

class ActivePresetBar : public QAbstractListModel {
    Q_OBJECT
    QML_ELEMENT

public:
    enum Roles {
        slotIDRole = Qt::UserRole + 1, // PresetSlot::id()
        symbolNameRole,
        titleRole,     // shortened for the pill
        fullTitleRole, // the tooltip, the accessible name and the overflow item
        isActiveRole,
    };
    Q_ENUM(Roles)

    explicit ActivePresetBar(QObject* parent = nullptr);

    Q_PROPERTY(brisvane::AppState* appState READ appState WRITE setAppState NOTIFY appStateChanged
                   REQUIRED)
    AppState* appState() const { return m_appState; }
    void setAppState(AppState* state);

    // False unless the control state is switchable.
    Q_PROPERTY(bool pillsEnabled READ pillsEnabled NOTIFY stateChanged)
    bool pillsEnabled() const { return m_state.isSwitchable(); }
    // The caption: a status (symbol or spinning mark, text, tint), or the active preset's caption.
    Q_PROPERTY(bool hasStatus READ hasStatus NOTIFY stateChanged)
    bool hasStatus() const { return m_state.status.has_value(); }
    Q_PROPERTY(QString statusSymbol READ statusSymbol NOTIFY stateChanged)
    QString statusSymbol() const { return m_state.status ? m_state.status->symbolName : QString(); }
    Q_PROPERTY(bool statusInProgress READ statusInProgress NOTIFY stateChanged)
    bool statusInProgress() const { return m_state.status && m_state.status->isInProgress; }
    // The status's tint; the secondary text's without a status.
    Q_PROPERTY(brisvane::StatusTint::Tint statusTint READ statusTint NOTIFY stateChanged)
    StatusTint::Tint statusTint() const;
    Q_PROPERTY(QString captionText READ captionText NOTIFY stateChanged)
    QString captionText() const { return m_captionText; }

    // How many pills fit in `availableWidth` (the rest go to the overflow menu).
    Q_INVOKABLE int pillCount(const QVariantList& pillWidths, double overflowWidth, double spacing,
                              double availableWidth) const;
    // Makes the slot of `row` active and asks the engine to push it.
    Q_INVOKABLE void activate(int row);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

signals:
    void appStateChanged();
    void stateChanged();

private:
    struct Pill {
        PresetSlot slot;
        QString symbolName;
        QString fullTitle;
    };
    void updateState();
    void updatePills();

    QPointer<AppState> m_appState;
    PresetControlState m_state;
    QString m_captionText;
    QList<Pill> m_pills;
};

} // namespace brisvane
