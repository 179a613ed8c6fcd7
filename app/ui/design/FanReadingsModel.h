#pragma once
// The latest sample as views show it: one row per fan (name, speed, maximum and their texts),
// and the CPU and GPU maxima. The screens that show readings derive from it and add their own.

#include "app/core/AppState.h"

#include <QAbstractListModel>
#include <QPointer>
#include <QtQml/qqmlregistration.h>

#include <limits>
#include <vector>

namespace brisvane {

class FanReadingsModel : public QAbstractListModel {
    Q_OBJECT
    QML_ANONYMOUS

public:
    enum Roles {
        nameRole = Qt::UserRole + 1, // the fan's display name
        actualRPMRole,
        maximumRPMRole,
        speedTextRole,  // "2,400" as the locale groups it, or empty when parked
        accessibleRole, // "Left fan, 2,400 rpm" or "Left fan, Stopped"
    };
    Q_ENUM(Roles)

    explicit FanReadingsModel(QObject* parent = nullptr);

    Q_PROPERTY(brisvane::AppState* appState READ appState WRITE setAppState NOTIFY appStateChanged
                   REQUIRED)
    AppState* appState() const { return m_appState; }
    void setAppState(AppState* state);

    // False until the first sample; views then show their waiting state.
    Q_PROPERTY(bool hasSample READ hasSample NOTIFY readingsChanged)
    bool hasSample() const { return m_hasSample; }
    // The die maxima, °C; NaN before the first sample.
    Q_PROPERTY(double cpuCelsius READ cpuCelsius NOTIFY readingsChanged)
    double cpuCelsius() const { return m_cpuCelsius; }
    Q_PROPERTY(double gpuCelsius READ gpuCelsius NOTIFY readingsChanged)
    double gpuCelsius() const { return m_gpuCelsius; }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

signals:
    void appStateChanged();
    void readingsChanged();

protected:
    // Called after the state changed (possibly to none), for a subclass to observe more of it.
    // Connections to the state's parts are dropped by the base when the state changes.
    virtual void observe(AppState* state) { Q_UNUSED(state) }

private:
    void updateReadings();

    QPointer<AppState> m_appState;
    bool m_hasSample = false;
    double m_cpuCelsius = std::numeric_limits<double>::quiet_NaN();
    double m_gpuCelsius = std::numeric_limits<double>::quiet_NaN();
    std::vector<SMCFanReading> m_fans;
};

} // namespace brisvane
