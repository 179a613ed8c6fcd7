// The sampler at the app's period against brisvane-vsmc over its socket: real readings, a
// pinned temperature showing up in the next sample, and an SMC that goes away mid-run.

#include "tests/app/AppTestSupport.h"
#include "tests/support/EventLoop.h"
#include "tests/virtual-mac/VsmcTestSupport.h"

#include "app/core/TelemetrySampler.h"
#include "app/core/TelemetryStore.h"

#include <gtest/gtest.h>

#include <csignal>

namespace brisvane {
namespace {

using namespace std::chrono_literals;

class TelemetrySamplerServedTest : public test::AppCoreTest {};

TEST_F(TelemetrySamplerServedTest, SamplesAServedMachineEveryPeriodAndAbsorbsItsLoss)
{
    auto mac = std::make_unique<test::ServedVirtualMac>("two-fan-laptop");
    test::ScopedSystemRoot root(mac->root());
    auto defaults = makeDefaults();
    TelemetryStore store(*defaults);
    QList<TelemetrySample> samples;
    store.onSample([&](const TelemetrySample& sample) { samples.append(sample); });
    store.start(); // the app's 2-second period, the first sample at once

    ASSERT_TRUE(test::processEventsUntil([&] { return !samples.isEmpty(); }, 5s));
    const TelemetrySample& first = samples.front();
    ASSERT_EQ(first.fans.size(), 2u);
    EXPECT_EQ(first.fans[1].maxRPM, 6000);
    EXPECT_GT(first.temperatures.cpuAverage, 20);
    EXPECT_GE(first.temperatures.hottest, first.temperatures.cpuMax);

    mac->control("temp 70");
    ASSERT_TRUE(
        test::processEventsUntil([&] { return samples.back().temperatures.cpuAverage == 70; }, 6s));
    EXPECT_EQ(samples.back().temperatures.gpuMax, 70);
    EXPECT_EQ(store.systemTemperature(), 70);

    // The SMC goes away: samples keep coming, without fans and with the last valid readings.
    mac.reset();
    const qsizetype before = samples.size();
    ASSERT_TRUE(test::processEventsUntil(
        [&] { return samples.size() > before && samples.back().fans.empty(); }, 6s));
    EXPECT_EQ(samples.back().temperatures.cpuMax, 70);
    EXPECT_TRUE(store.smcAvailable());
    EXPECT_EQ(store.history().size(), samples.size());
}

// A stalled SMC costs the samples taken during the stall, not the ones after it.
TEST_F(TelemetrySamplerServedTest, ResumesRealReadingsAfterAThreeSecondStall)
{
    test::ServedVirtualMac mac("two-fan-laptop");
    test::ScopedSystemRoot root(mac.root());
    auto defaults = makeDefaults();
    TelemetryStore store(*defaults);
    QList<TelemetrySample> samples;
    store.onSample([&](const TelemetrySample& sample) { samples.append(sample); });
    store.start();
    ASSERT_TRUE(test::processEventsUntil([&] { return !samples.isEmpty(); }, 5s));

    ASSERT_EQ(::kill(mac.pid(), SIGSTOP), 0);
    const auto stalledAt = std::chrono::steady_clock::now();
    test::processEventsUntil([&] { return std::chrono::steady_clock::now() - stalledAt >= 3s; },
                             5s);
    ASSERT_EQ(::kill(mac.pid(), SIGCONT), 0);

    mac.control("temp 66");
    EXPECT_TRUE(test::processEventsUntil(
        [&] { return samples.back().temperatures.cpuMax == 66 && samples.back().fans.size() == 2; },
        20s));
}

} // namespace
} // namespace brisvane
