// What sampling costs the app: the SMC calls of one sample against the fewest the sensor reader
// and the fan reads can make, and the app core's CPU time per hour at the real 2-second period.
// The CPU figure is measured over a short window sampled faster than the app does, then scaled
// to 1800 samples an hour; it covers every thread of this process (sampler, main thread with
// ingest and engine), not the virtual SMC or the daemon.

#include "app/core/ControlEngine.h"
#include "app/core/HelperClient.h"
#include "app/core/PresetStore.h"
#include "app/core/TelemetrySampler.h"
#include "app/core/TelemetryStore.h"
#include "app/core/UserDefaults.h"

#include "BenchSupport.h"
#include "platform/virtual-mac/VirtualSmc.h"
#include "smc/SMCTemperatureSensors.h"
#include "tests/support/Environment.h"
#include "tests/support/Files.h"
#include "tests/support/Process.h"
#include "tests/support/VirtualMac.h"

#include <QCoreApplication>
#include <QCoroTask>
#include <QDeadlineTimer>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

using namespace brisvane;

namespace {

constexpr double kAppPeriodSeconds = 2.0;
constexpr double kSamplesPerHour = 3600.0 / kAppPeriodSeconds;

// Blocks in the event loop between events (samples arrive as events), so that the waiting
// itself costs nothing; a timer bounds the wait.
template <typename Condition> bool runUntil(Condition condition, std::chrono::seconds limit)
{
    QDeadlineTimer deadline(limit);
    QTimer wakeUp;
    wakeUp.start(std::chrono::milliseconds(500));
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

std::unique_ptr<UserDefaults> scratchDefaults(const QTemporaryDir& dir)
{
    return std::make_unique<UserDefaults>(
        QStringList{"bench"},
        std::make_unique<QSettings>(dir.filePath("settings.ini"), QSettings::IniFormat));
}

// SMC calls per steady-state sample, in process, against the fewest possible.
void smcCallsPerSample()
{
    VirtualSmc machine("two-fan-laptop");
    auto registration = machine.registerAsService();

    // The fewest: one read per sensor key, FNum, then per fan four floats and the mode byte
    // (key infos cached after the first pass).
    auto smc = std::make_shared<SMCConnection>();
    const SMCTemperatureSensors sensors(smc);
    const int fans = smc->fanCount();
    const int sensorKeys = sensors.sensorCounts().cpu + sensors.sensorCounts().gpu;
    const int minimum = sensorKeys + 1 + 5 * fans;

    QTemporaryDir dir;
    auto defaults = scratchDefaults(dir);
    TelemetryStore store(*defaults);
    int samples = 0;
    store.onSample([&](const TelemetrySample&) { ++samples; });
    store.start(0.01);
    runUntil([&] { return samples >= 3; }, std::chrono::seconds(30)); // discovery and caches
    machine.resetCallCounts();
    const int from = samples;
    runUntil([&] { return samples >= from + 100; }, std::chrono::seconds(60));
    const SmcCallCounts counts = machine.callCounts();
    const int measured = samples - from;
    std::printf("SMC calls per sample (two-fan-laptop, %d sensor keys, %d fans):\n", sensorKeys,
                fans);
    std::printf("  measured %.2f (read %.2f, key info %.2f, by index %.2f) over %d samples\n",
                double(counts.total()) / measured, double(counts.readKey) / measured,
                double(counts.getKeyInfo) / measured, double(counts.getKeyFromIndex) / measured,
                measured);
    std::printf("  minimum  %d (%d sensor reads + FNum + 5 per fan)\n\n", minimum, sensorKeys);
}

QCoro::Task<bool> installed(HelperClient* client)
{
    try {
        co_await client->install();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "install failed: %s\n", error.what());
        co_return false;
    }
    co_return true;
}

// The whole core over the virtual Mac's sockets, as the app runs it.
void cpuPerHour(bool withDaemon)
{
    // The app finds the virtual Mac through the environment, and no system bus.
    const test::SimulatedMac mac;
    const test::ScopedEnvironment env(
        {{"BRISVANE_SYSTEM_ROOT", mac.root().string()},
         {"DBUS_SYSTEM_BUS_ADDRESS", test::systemBusAddress(mac.root())}});
    QTemporaryDir dir;
    auto defaults = scratchDefaults(dir);
    TelemetryStore store(*defaults);
    HelperClient helper;
    helper.refreshInstallState();
    if (withDaemon && !QCoro::waitFor(installed(&helper)))
        return;
    PresetStore presets(2, dir.path(), *defaults);
    presets.setActivePresetID(FanPreset::coolID);
    ControlEngine engine(store, presets, helper);
    mac.control("load 0.5 0.5");

    int samples = 0;
    store.onSample([&](const TelemetrySample&) { ++samples; });
    const double period = 0.05;
    store.start(period);
    runUntil([&] { return samples >= 5 && (!withDaemon || engine.isOverriding()); },
             std::chrono::seconds(30));

    const int from = samples;
    const double cpuFrom = bench::processCpuSeconds();
    const auto wallFrom = std::chrono::steady_clock::now();
    runUntil([&] { return samples >= from + 200; }, std::chrono::seconds(120));
    const double cpu = bench::processCpuSeconds() - cpuFrom;
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wallFrom).count();
    const int measured = samples - from;
    const double perSample = cpu / measured;
    std::printf("App core CPU, %s:\n", withDaemon ? "controlling through the installed daemon"
                                                  : "sampling with no helper installed");
    std::printf("  %d samples every %.0f ms: %.3f s CPU in %.2f s (%.3f ms per sample)\n", measured,
                period * 1000, cpu, wall, perSample * 1000);
    std::printf("  at one sample every %.0f s: %.2f s CPU per hour (%.4f %% of one core)\n\n",
                kAppPeriodSeconds, perSample * kSamplesPerHour,
                100 * perSample / kAppPeriodSeconds);
    if (withDaemon)
        QCoro::waitFor(engine.shutDown());
}

} // namespace

int main(int argc, char** argv)
{
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication app(argc, argv);
    smcCallsPerSample();
    cpuPerHour(false);
    cpuPerHour(true);
    return 0;
}
