#include "app/ui/dashboard/DashboardModel.h"

namespace brisvane {

DashboardModel::Screen DashboardModel::screen(const std::optional<TelemetrySample>& latest,
                                              bool smcAvailable)
{
    if (!latest)
        return Screen::loading;
    return !latest->fans.empty() && smcAvailable ? Screen::content : Screen::unsupported;
}

bool DashboardModel::showsHelperBanner(HelperControlling::HelperState state)
{
    return state == HelperControlling::HelperState::notInstalled;
}

void DashboardModel::observe(AppState* state)
{
    disconnect(this, &FanReadingsModel::readingsChanged, this, &DashboardModel::updateDashboard);
    connect(this, &FanReadingsModel::readingsChanged, this, &DashboardModel::updateDashboard);
    if (!state)
        return;
    connect(&state->telemetry(), &TelemetryStore::smcAvailableChanged, this,
            &DashboardModel::updateDashboard);
    connect(&state->helper(), &HelperControlling::stateChanged, this,
            &DashboardModel::updateDashboard);
}

void DashboardModel::updateDashboard()
{
    AppState* state = appState();
    if (state) {
        const TelemetryStore& store = state->telemetry();
        m_screen = screen(store.latest(), store.smcAvailable());
        m_showsHelperBanner = showsHelperBanner(state->helper().state());
        m_temperatures = store.latest() ? store.latest()->temperatures : SMCTemperatureSnapshot{};
        m_cpuHottest = store.cpuHottestSmoothed();
        m_gpuHottest = store.gpuHottestSmoothed();
        m_cpuPeak = store.peakCPU();
        m_gpuPeak = store.peakGPU();
    } else {
        m_screen = Screen::loading;
        m_showsHelperBanner = false;
    }
    emit dashboardChanged();
}

} // namespace brisvane
