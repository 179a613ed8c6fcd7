// The telemetry store: smoothing, peaks, the bounded history, SMC availability, the
// temperature-source choice and the sample handlers.

#include "tests/app/AppTestSupport.h"
#include "tests/app/TelemetryTestSupport.h"

#include "app/core/TelemetryStore.h"
#include "app/core/TemperatureSource.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <limits>

namespace brisvane {
namespace {

using test::sampleAt;
using test::sampleWith;

class TelemetryStoreTest : public test::AppCoreTest {
protected:
    void SetUp() override
    {
        AppCoreTest::SetUp();
        m_defaults = makeDefaults();
        m_store = std::make_unique<TelemetryStore>(*m_defaults);
    }

    std::unique_ptr<UserDefaults> m_defaults;
    std::unique_ptr<TelemetryStore> m_store;
};

TEST_F(TelemetryStoreTest, SmoothsEachDieMaximumWithAJumpFromZero)
{
    struct Row {
        double cpuMax, gpuMax;
        double cpuSmoothed, gpuSmoothed;
    };
    // No GPU reading keeps its state at 0; its first reading is then taken as it is.
    const Row rows[] = {{55, 0, 55, 0}, {65, 0, 59, 0}, {65, 70, 61.4, 70}, {65, 60, 62.84, 66}};
    for (const Row& row : rows) {
        m_store->ingest(sampleWith({40, row.cpuMax, 40, row.gpuMax}));
        EXPECT_NEAR(m_store->cpuHottestSmoothed(), row.cpuSmoothed, 1e-9) << row.cpuMax;
        EXPECT_NEAR(m_store->gpuHottestSmoothed(), row.gpuSmoothed, 1e-9) << row.gpuMax;
    }
    EXPECT_NEAR(*m_store->hottestTemperature(), 66, 1e-9);
}

TEST_F(TelemetryStoreTest, PeaksRiseAndNeverFall)
{
    QSignalSpy cpuPeak(m_store.get(), &TelemetryStore::peakCPUChanged);
    for (double cpuMax : {50.0, 72.0, 61.0, 72.0})
        m_store->ingest(sampleWith({40, cpuMax, 30, cpuMax - 10}));
    EXPECT_EQ(m_store->peakCPU(), 72);
    EXPECT_EQ(m_store->peakGPU(), 62);
    EXPECT_EQ(cpuPeak.count(), 2); // 50, then 72; the second 72 changes nothing
}

TEST_F(TelemetryStoreTest, HistoryKeepsTheNewest900Samples)
{
    QList<TelemetrySample> fed;
    for (int i = 1; i <= 901; ++i) {
        fed.append(sampleWith({40, 50, 0, 0}, test::laptopFans(), 1'700'000'000 + 2 * i));
        m_store->ingest(fed.back());
    }
    const QList<TelemetrySample>& history = m_store->history();
    ASSERT_EQ(history.size(), 900);
    EXPECT_EQ(history.front(), fed[1]);  // sample 2
    EXPECT_EQ(history.back(), fed[900]); // sample 901
    EXPECT_EQ(m_store->latest(), fed[900]);
}

TEST_F(TelemetryStoreTest, SMCAvailabilityFollowsFansOrAPositiveTemperature)
{
    QSignalSpy changed(m_store.get(), &TelemetryStore::smcAvailableChanged);
    struct Row {
        bool withFans;
        double hottest;
        bool available;
    };
    const Row rows[] = {{false, 0, false}, {false, 0, false}, {false, 40, true},
                        {false, 0, false}, {true, 0, true},   {true, 55, true}};
    int expectedChanges = 0;
    bool previous = true;
    for (const Row& row : rows) {
        m_store->ingest(sampleWith({0, row.hottest, 0, 0}, row.withFans
                                                               ? test::laptopFans()
                                                               : std::vector<SMCFanReading>{}));
        EXPECT_EQ(m_store->smcAvailable(), row.available);
        expectedChanges += row.available != previous;
        previous = row.available;
    }
    EXPECT_EQ(changed.count(), expectedChanges);
}

TEST_F(TelemetryStoreTest, NothingIsKnownBeforeTheFirstSampleWhateverTheSource)
{
    for (const char* source : {"average", "hottestCore"}) {
        m_defaults->setString(kTemperatureSourceKey, source);
        EXPECT_FALSE(m_store->systemTemperature() || m_store->hottestTemperature()) << source;
        EXPECT_TRUE(m_store->smcAvailable());
    }
}

// Read on every use, and notified when it changes; only the exact text "hottestCore" selects
// the smoothed maxima, and a launch argument chooses for that run.
TEST_F(TelemetryStoreTest, TheSourceSettingIsReadOnEveryUse)
{
    m_store->ingest(sampleWith({48, 55, 52, 60}));
    m_store->ingest(sampleWith({48, 65, 52, 60})); // smoothed maxima: 59 and 60
    QSignalSpy changed(m_store.get(), &TelemetryStore::systemTemperatureChanged);
    struct Row {
        const char* stored; // nullptr: no value
        double expected;
    };
    const Row rows[] = {{nullptr, 52},   {"hottestCore", 60}, {"HottestCore", 52},
                        {"hottest", 52}, {"average", 52},     {"hottestCore", 60}};
    for (const Row& row : rows) {
        if (row.stored)
            m_defaults->setString(kTemperatureSourceKey, row.stored);
        else
            m_defaults->remove(kTemperatureSourceKey);
        EXPECT_EQ(m_store->systemTemperature(), row.expected)
            << (row.stored ? row.stored : "(none)");
    }
    EXPECT_EQ(changed.count(), 5);
    m_defaults->setString(QStringLiteral("unrelated"), QStringLiteral("x"));
    EXPECT_EQ(changed.count(), 5);

    auto defaults = makeDefaults({"-fanBoostTemperatureSource", "hottestCore"});
    TelemetryStore store(*defaults);
    store.ingest(sampleWith({48, 70, 52, 60}));
    EXPECT_EQ(store.systemTemperature(), 70);
}

// A preset's own source reads one value whatever the setting; the app's setting defers to it.
TEST_F(TelemetryStoreTest, EachPresetSourceReadsItsOwnTemperature)
{
    using Source = FanPreset::Source;
    for (Source source : {Source::appSetting, Source::cpu, Source::gpu, Source::hottestCore})
        EXPECT_FALSE(m_store->temperature(source)) << int(source);

    m_store->ingest(sampleWith({48, 55, 52, 60}));
    m_store->ingest(sampleWith({71, 65, 39, 60})); // smoothed maxima: 59 and 60
    struct Row {
        const char* setting;
        Source source;
        double expected;
    };
    const Row rows[] = {
        {"average", Source::cpu, 71},
        {"average", Source::gpu, 39},
        {"average", Source::hottestCore, 60},
        {"average", Source::appSetting, 71},
        {"hottestCore", Source::cpu, 71},
        {"hottestCore", Source::gpu, 39},
        {"hottestCore", Source::appSetting, 60},
    };
    for (const Row& row : rows) {
        m_defaults->setString(kTemperatureSourceKey, row.setting);
        EXPECT_EQ(m_store->temperature(row.source), row.expected)
            << row.setting << " / " << int(row.source);
    }
}

TEST_F(TelemetryStoreTest, HandlersSeeTheIngestedStateInRegistrationOrder)
{
    QStringList calls;
    m_store->onSample([&](const TelemetrySample& sample) {
        EXPECT_EQ(m_store->latest(), sample);
        EXPECT_EQ(m_store->history().size(), 1);
        EXPECT_EQ(m_store->cpuHottestSmoothed(), 61);
        calls.append(QStringLiteral("first"));
    });
    m_store->onSample([&](const TelemetrySample&) { calls.append(QStringLiteral("second")); });
    m_store->ingest(sampleAt(61));
    EXPECT_EQ(calls, (QStringList{"first", "second"}));
}

// An SMC float of NaN or infinity never reaches a handler, a view or a cast: the reading before
// it stands in, or 0 when there was none.
TEST_F(TelemetryStoreTest, NonFiniteReadingsAreReplacedBeforeAnyoneSeesThem)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    std::vector<TelemetrySample> seen;
    m_store->onSample([&](const TelemetrySample& sample) { seen.push_back(sample); });

    TelemetrySample first = sampleAt(nan);
    first.fans[0].actualRPM = inf;
    m_store->ingest(first);
    m_store->ingest(sampleAt(50));
    TelemetrySample broken = sampleWith({inf, nan, 60, -inf});
    broken.fans[1].actualRPM = nan;
    broken.fans[1].maxRPM = -inf;
    m_store->ingest(broken);

    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].temperatures.cpuMax, 0);
    EXPECT_EQ(seen[0].fans[0].actualRPM, 0);
    const TelemetrySample& last = seen[2];
    EXPECT_EQ(last.temperatures.cpuAverage, 50);
    EXPECT_EQ(last.temperatures.cpuMax, 50);
    EXPECT_EQ(last.temperatures.gpuAverage, 60);
    EXPECT_EQ(last.temperatures.gpuMax, 50);
    EXPECT_EQ(last.fans[1].actualRPM, seen[1].fans[1].actualRPM);
    EXPECT_EQ(last.fans[1].maxRPM, seen[1].fans[1].maxRPM);
    EXPECT_EQ(m_store->latest(), last);
    EXPECT_EQ(m_store->cpuHottestSmoothed(), 50);
    EXPECT_EQ(m_store->peakGPU(), 50);
}

TEST_F(TelemetryStoreTest, AnEqualSampleNotifiesOnlyThatASampleArrived)
{
    m_store->ingest(sampleAt(50));
    QSignalSpy smoothed(m_store.get(), &TelemetryStore::cpuHottestSmoothedChanged);
    QSignalSpy available(m_store.get(), &TelemetryStore::smcAvailableChanged);
    QSignalSpy peak(m_store.get(), &TelemetryStore::peakCPUChanged);
    QSignalSpy latest(m_store.get(), &TelemetryStore::latestChanged);
    m_store->ingest(sampleAt(50));
    EXPECT_EQ(smoothed.count() + available.count() + peak.count(), 0);
    EXPECT_EQ(latest.count(), 1);
}

} // namespace
} // namespace brisvane
