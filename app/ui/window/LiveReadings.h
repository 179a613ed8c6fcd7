#pragma once
// What the main window shows until the dashboard arrives: the CPU and GPU temperatures, one row
// per fan (this model's rows), the active preset and what the helper is doing.

#include "app/core/AppState.h"

#include <QAbstractListModel>
#include <QPointer>
#include <QtQml/qqmlregistration.h>

#include <limits>

namespace brisvane {

class LiveReadings : public QAbstractListModel {
    Q_OBJECT
    QML_ELEMENT

public:
    enum Roles {
        nameRole = Qt::UserRole + 1, // the fan's display name
        actualRPMRole,
        maximumRPMRole,
    };
    Q_ENUM(Roles)

    explicit LiveReadings(QObject* parent = nullptr);

    Q_PROPERTY(brisvane::AppState* appState READ appState WRITE setAppState NOTIFY appStateChanged
                   REQUIRED)
    AppState* appState() const { return m_appState; }
    void setAppState(AppState* state);

    // False until the first sample; the page then shows its waiting state.
    Q_PROPERTY(bool hasSample READ hasSample NOTIFY readingsChanged)
    bool hasSample() const { return m_hasSample; }
    // The die maxima, °C; NaN before the first sample.
    Q_PROPERTY(double cpuCelsius READ cpuCelsius NOTIFY readingsChanged)
    double cpuCelsius() const { return m_cpuCelsius; }
    Q_PROPERTY(double gpuCelsius READ gpuCelsius NOTIFY readingsChanged)
    double gpuCelsius() const { return m_gpuCelsius; }
    Q_PROPERTY(int fanCount READ rowCount NOTIFY readingsChanged)
    // The active preset's name, or "Automatic".
    Q_PROPERTY(QString presetText READ presetText NOTIFY controlChanged)
    QString presetText() const { return m_presetText; }
    // The helper's install state, or what it is doing with the fans.
    Q_PROPERTY(QString helperText READ helperText NOTIFY controlChanged)
    QString helperText() const { return m_helperText; }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

signals:
    void appStateChanged();
    void readingsChanged();
    void controlChanged();

private:
    void updateReadings();
    void updateControl();

    QPointer<AppState> m_appState;
    bool m_hasSample = false;
    double m_cpuCelsius = std::numeric_limits<double>::quiet_NaN();
    double m_gpuCelsius = std::numeric_limits<double>::quiet_NaN();
    QString m_presetText;
    QString m_helperText;
    std::vector<SMCFanReading> m_fans;
};

} // namespace brisvane
