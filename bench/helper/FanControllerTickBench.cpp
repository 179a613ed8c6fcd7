// SMC calls per controller tick (the app's renewing setTargets calls between ticks not counted)
// over an in-process two-fan laptop, while idle and while controlling below and above 50 °C, beside
// what the controller's design allows for: idle, one target read per fan and a snapshot every 5 s;
// controlling, one target write per fan and a snapshot every 3 s below 50 °C, two every tick from
// 50 °C up.
#include "helper/FanController.h"
#include "helper/HelperLog.h"
#include "platform/virtual-mac/SmcValueCodec.h"
#include "platform/virtual-mac/VirtualSmc.h"
#include "smc/SMCTemperatureSensors.h"
#include "tests/support/Environment.h"
#include "tests/support/Files.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

using namespace brisvane;

namespace {

constexpr int kTicks = 60;

struct Figures {
    double reads = 0;
    double writes = 0;
    double keyInfos = 0;
    double total = 0;
    double microseconds = 0;
};

class Bench {
public:
    Bench()
    {
        m_model = std::make_shared<VirtualSmc>("two-fan-laptop");
        m_model->followClock(m_clock);
        iokit::registerService(m_model->serviceClass(), m_model);
        SMCTemperatureSensors probe(std::make_shared<SMCConnection>(), m_clock);
        m_sensorKeys = probe.cpuKeys();
        m_sensorKeys.insert(m_sensorKeys.end(), probe.gpuKeys().begin(), probe.gpuKeys().end());

        FanController::Options options;
        options.clock = &m_clock;
        options.log = &m_log;
        options.controlThread = false;
        options.tickTimer = false;
        m_controller = std::make_unique<FanController>(std::move(options));
        m_controller->start();
        m_controller->poll();
    }
    ~Bench()
    {
        m_controller.reset();
        iokit::unregisterService(m_model->serviceClass(), m_model.get());
    }

    std::size_t sensorCount() const { return m_sensorKeys.size(); }

    void setTemperature(float celsius)
    {
        for (const std::string& key : m_sensorKeys)
            m_model->setKeyBytes(key, SmcValueCodec::floatBytes(celsius));
    }

    void request()
    {
        m_controller->setTargets({3000, 3000}, [](std::vector<double>) {});
        m_controller->poll();
    }

    // Ticks once a second; `renew` keeps the app's heartbeat between ticks (not counted).
    Figures measure(bool renew)
    {
        Figures figures;
        for (int i = 0; i < kTicks; ++i) {
            m_clock.advanceSeconds(1.0);
            if (renew && i % 2 == 0)
                request();
            const SmcCallCounts before = m_model->callCounts();
            const auto start = std::chrono::steady_clock::now();
            m_controller->runTick();
            figures.microseconds +=
                std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
                    .count();
            const SmcCallCounts after = m_model->callCounts();
            figures.reads += static_cast<double>(after.readKey - before.readKey);
            figures.writes += static_cast<double>(after.writeKey - before.writeKey);
            figures.keyInfos += static_cast<double>(after.getKeyInfo - before.getKeyInfo);
            figures.total += static_cast<double>(after.total() - before.total());
        }
        for (double* value : {&figures.reads, &figures.writes, &figures.keyInfos, &figures.total,
                              &figures.microseconds})
            *value /= kTicks;
        return figures;
    }

private:
    ManualClock m_clock;
    HelperLog m_log{"org.brisvane.Brisvane.helper", "control"};
    HelperLogCapture m_capture{m_log};
    std::shared_ptr<VirtualSmc> m_model;
    std::vector<std::string> m_sensorKeys;
    std::unique_ptr<FanController> m_controller;
};

void print(const char* phase, const Figures& measured, double expectedTotal)
{
    std::printf("%-28s %7.2f %7.2f %7.2f %7.2f   %7.2f   %8.1f\n", phase, measured.reads,
                measured.writes, measured.keyInfos, measured.total, expectedTotal,
                measured.microseconds);
}

} // namespace

int main()
{
    const test::TemporaryRoot root;
    const test::ScopedEnv systemRoot("BRISVANE_SYSTEM_ROOT", root.path().string());

    const double fans = 2;
    Figures idle, cool, hot;
    std::size_t sensors = 0;
    {
        Bench bench;
        sensors = bench.sensorCount();
        bench.setTemperature(44);
        idle = bench.measure(false);
        bench.request();
        bench.measure(true); // the takeover, not counted
        cool = bench.measure(true);
        bench.setTemperature(70);
        bench.measure(true); // the first samples at 70 °C, not counted
        hot = bench.measure(true);
    }
    const double snapshot = static_cast<double>(sensors);

    std::printf("SMC calls per tick, two-fan-laptop, %zu sensor keys, mean of %d ticks\n", sensors,
                kTicks);
    std::printf("%-28s %7s %7s %7s %7s   %7s   %8s\n", "phase", "reads", "writes", "infos", "total",
                "at most", "us/tick");
    print("idle", idle, fans + snapshot / 5);
    print("controlling below 50 C", cool, fans + snapshot / 3);
    print("controlling at 70 C", hot, fans + 2 * snapshot);
    return 0;
}
