#pragma once
// The dashboard's readings and choices: which screen shows (loading, content, unsupported),
// whether the helper banner shows, one row per fan for the gauges, and the temperature cards'
// values.

#include "app/ui/design/FanReadingsModel.h"

#include <QtQml/qqmlregistration.h>

namespace brisvane {

class DashboardModel : public brisvane::FanReadingsModel {
    Q_OBJECT
    QML_ELEMENT

public:
    enum class Screen { loading, content, unsupported };
    Q_ENUM(Screen)

    // Loading until the first sample (whether or not the SMC opened, none ever comes without
    // it); then the content while the sample has a fan and the SMC is readable.
    static Screen screen(const std::optional<TelemetrySample>& latest, bool smcAvailable);
    // Only a helper that is not installed is worth a banner; an unreachable one is retried.
    static bool showsHelperBanner(HelperControlling::HelperState state);
    using FanReadingsModel::FanReadingsModel;

    Screen screen() const { return m_screen; }
    Q_PROPERTY(bool isLoading READ isLoading NOTIFY dashboardChanged)
    bool isLoading() const { return m_screen == Screen::loading; }
    Q_PROPERTY(bool showsContent READ showsContent NOTIFY dashboardChanged)
    bool showsContent() const { return m_screen == Screen::content; }
    Q_PROPERTY(bool isUnsupported READ isUnsupported NOTIFY dashboardChanged)
    bool isUnsupported() const { return m_screen == Screen::unsupported; }
    Q_PROPERTY(bool showsHelperBanner READ showsHelperBanner NOTIFY dashboardChanged)
    bool showsHelperBanner() const { return m_showsHelperBanner; }
    // Two or more fans: the note that fans may differ.
    Q_PROPERTY(bool showsFanNote READ showsFanNote NOTIFY dashboardChanged)
    bool showsFanNote() const { return rowCount() >= 2; }

    // The cards' readings, °C: averages of the latest sample, smoothed maxima, session peaks.
    Q_PROPERTY(double cpuAverage READ cpuAverage NOTIFY dashboardChanged)
    double cpuAverage() const { return m_temperatures.cpuAverage; }
    Q_PROPERTY(double gpuAverage READ gpuAverage NOTIFY dashboardChanged)
    double gpuAverage() const { return m_temperatures.gpuAverage; }
    Q_PROPERTY(double cpuHottestCore READ cpuHottestCore NOTIFY dashboardChanged)
    double cpuHottestCore() const { return m_cpuHottest; }
    Q_PROPERTY(double gpuHottestCore READ gpuHottestCore NOTIFY dashboardChanged)
    double gpuHottestCore() const { return m_gpuHottest; }
    Q_PROPERTY(double cpuPeak READ cpuPeak NOTIFY dashboardChanged)
    double cpuPeak() const { return m_cpuPeak; }
    Q_PROPERTY(double gpuPeak READ gpuPeak NOTIFY dashboardChanged)
    double gpuPeak() const { return m_gpuPeak; }

signals:
    void dashboardChanged();

protected:
    void observe(AppState* state) override;

private:
    void updateDashboard();

    Screen m_screen = Screen::loading;
    bool m_showsHelperBanner = false;
    SMCTemperatureSnapshot m_temperatures;
    double m_cpuHottest = 0;
    double m_gpuHottest = 0;
    double m_cpuPeak = 0;
    double m_gpuPeak = 0;
};

} // namespace brisvane
