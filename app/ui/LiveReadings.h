#pragma once
// What the main window shows until the dashboard arrives: the CPU and GPU temperatures, one row
// per fan (this model's rows), the active preset and what the helper is doing — all as display
// text, so the page only lays it out.

#include "app/core/AppState.h"

#include <QAbstractListModel>
#include <QPointer>
#include <QtQml/qqmlregistration.h>

namespace brisvane {

class LiveReadings : public QAbstractListModel {
    Q_OBJECT
    QML_ELEMENT

public:
    enum Roles {
        nameRole = Qt::UserRole + 1, // "Left", "Right", "Fan 3"
        speedTextRole,               // "2400 RPM", or "Stopped" at 0
        fractionRole,                // actual / maximum, 0 to 1
        spokenSpeedRole,             // "2,400 rpm" for assistive technology, in the locale's digits
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
    // The die maxima, "55 °C" (rounded half away from zero).
    Q_PROPERTY(QString cpuText READ cpuText NOTIFY readingsChanged)
    QString cpuText() const { return m_cpuText; }
    Q_PROPERTY(QString gpuText READ gpuText NOTIFY readingsChanged)
    QString gpuText() const { return m_gpuText; }
    // The same maxima as assistive technology reads them: "45.5 °C", one decimal, locale digits.
    Q_PROPERTY(QString cpuSpokenText READ cpuSpokenText NOTIFY readingsChanged)
    QString cpuSpokenText() const { return m_cpuSpokenText; }
    Q_PROPERTY(QString gpuSpokenText READ gpuSpokenText NOTIFY readingsChanged)
    QString gpuSpokenText() const { return m_gpuSpokenText; }
    // The active preset's name, or "Automatic".
    Q_PROPERTY(QString presetText READ presetText NOTIFY controlChanged)
    QString presetText() const { return m_presetText; }
    // The helper's install state, or what it is doing with the fans.
    Q_PROPERTY(QString helperText READ helperText NOTIFY controlChanged)
    QString helperText() const { return m_helperText; }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    static QString degreesText(double celsius);
    static QString speedText(double actualRPM);
    static QString spokenCelsius(double celsius);
    static QString spokenSpeed(double actualRPM);

signals:
    void appStateChanged();
    void readingsChanged();
    void controlChanged();

private:
    void updateReadings();
    void updateControl();

    QPointer<AppState> m_appState;
    bool m_hasSample = false;
    QString m_cpuText;
    QString m_gpuText;
    QString m_cpuSpokenText;
    QString m_gpuSpokenText;
    QString m_presetText;
    QString m_helperText;
    std::vector<SMCFanReading> m_fans;
};

} // namespace brisvane
