#pragma once
// What the menu-bar panel shows, recomputed from the state whenever an observed value changes:
// one row per fan of the latest sample (this model's rows), the CPU and GPU maxima, the helper's
// install state and phase, and the preset chips. Choosing a chip goes through here too.

#include "app/core/AppState.h"

#include <QAbstractListModel>
#include <QPointer>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

#include <vector>

namespace brisvane {

class MenuBarModel : public QAbstractListModel {
    Q_OBJECT
    QML_ELEMENT

public:
    static constexpr double kMinimumFill = 8;

    enum Roles {
        nameRole = Qt::UserRole + 1, // the fan's display name
        actualRPMRole,
        maximumRPMRole,
        speedTextRole,  // "2400", or empty when parked
        accessibleRole, // "Left fan, 2,400 rpm" or "Left fan, Stopped"
    };
    Q_ENUM(Roles)

    // The speed bar's fill width in a track `trackWidth` wide: the share of the maximum,
    // clamped to [0, 1] (0 without a maximum), but never under the 8-point minimum.
    static double fanFillWidth(double actualRPM, double maxRPM, double trackWidth);
    // "45 °C", rounded half away from zero.
    static QString degreesText(double celsius);

    explicit MenuBarModel(QObject* parent = nullptr);

    Q_PROPERTY(brisvane::AppState* appState READ appState WRITE setAppState NOTIFY appStateChanged
                   REQUIRED)
    AppState* appState() const { return m_appState; }
    void setAppState(AppState* state);

    Q_PROPERTY(bool hasSample READ hasSample NOTIFY readingsChanged)
    bool hasSample() const { return m_hasSample; }
    Q_PROPERTY(double cpuCelsius READ cpuCelsius NOTIFY readingsChanged)
    double cpuCelsius() const { return m_cpuCelsius; }
    Q_PROPERTY(double gpuCelsius READ gpuCelsius NOTIFY readingsChanged)
    double gpuCelsius() const { return m_gpuCelsius; }

    // Installed or unreachable: the controls; otherwise the hint.
    Q_PROPERTY(bool helperInstalled READ helperInstalled NOTIFY helperChanged)
    bool helperInstalled() const;
    // The daemon is unlocking the fans.
    Q_PROPERTY(bool isTakingControl READ isTakingControl NOTIFY helperChanged)
    bool isTakingControl() const;
    // The daemon's last phase is failed.
    Q_PROPERTY(bool controlUnavailable READ controlUnavailable NOTIFY helperChanged)
    bool controlUnavailable() const;

    // Automatic first, then the presets in their stored order: {id, title, symbol, active}.
    Q_PROPERTY(QVariantList chips READ chips NOTIFY chipsChanged)
    QVariantList chips() const;
    // `id` "" is the automatic slot.
    Q_INVOKABLE void choosePreset(const QString& id);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

signals:
    void appStateChanged();
    void readingsChanged();
    void helperChanged();
    void chipsChanged();

private:
    void updateReadings();

    QPointer<AppState> m_appState;
    bool m_hasSample = false;
    double m_cpuCelsius = 0;
    double m_gpuCelsius = 0;
    std::vector<SMCFanReading> m_fans;
};

// The rows' rules as QML calls them.
class MenuBarRows : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    using QObject::QObject;

    Q_INVOKABLE static double fanFillWidth(double actualRPM, double maxRPM, double trackWidth)
    {
        return MenuBarModel::fanFillWidth(actualRPM, maxRPM, trackWidth);
    }
    Q_INVOKABLE static QString degreesText(double celsius)
    {
        return MenuBarModel::degreesText(celsius);
    }
};

} // namespace brisvane
