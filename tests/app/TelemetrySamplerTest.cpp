// The sampler on its own thread against an in-process virtual SMC: samples reach the store on
// the main thread, in order, and an SMC that cannot be opened produces none.

#include "tests/app/AppTestSupport.h"
#include "tests/support/EventLoop.h"

#include "app/core/TelemetrySampler.h"
#include "app/core/TelemetryStore.h"

#include "platform/virtual-mac/VirtualSmc.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <optional>

namespace brisvane {
namespace {

class TelemetrySamplerTest : public test::AppCoreTest {
protected:
    void SetUp() override
    {
        AppCoreTest::SetUp();
        m_defaults = makeDefaults();
        // No virtual Mac sockets here: only a registered service can answer.
        setEnv("BRISVANE_SYSTEM_ROOT", makeDirectory("root"));
    }

    // The store with a hook on the sampler's `started`, delivered on the main thread.
    std::unique_ptr<TelemetryStore> makeStore()
    {
        auto store = std::make_unique<TelemetryStore>(*m_defaults);
        QObject::connect(&store->sampler(), &TelemetrySampler::started, store.get(),
                         [this](bool opened) { m_opened = opened; });
        return store;
    }

    std::unique_ptr<UserDefaults> m_defaults;
    std::optional<bool> m_opened;
};

TEST_F(TelemetrySamplerTest, SamplesTheMachineOnItsOwnThreadAndDeliversThemOnTheMainThread)
{
    VirtualSmc machine("two-fan-laptop");
    auto registration = machine.registerAsService();
    auto store = makeStore();

    QList<TelemetrySample> handled;
    bool allOnMainThread = true;
    store->onSample([&](const TelemetrySample& sample) {
        allOnMainThread &= QThread::currentThread() == QCoreApplication::instance()->thread();
        handled.append(sample);
    });
    store->start(0.02);

    ASSERT_TRUE(test::processEventsUntil([&] { return handled.size() >= 3; }));
    EXPECT_EQ(m_opened, true);
    EXPECT_TRUE(allOnMainThread);
    EXPECT_EQ(store->history().size(), handled.size());
    for (qsizetype i = 1; i < handled.size(); ++i)
        EXPECT_LE(handled[i - 1].timestamp, handled[i].timestamp);

    const TelemetrySample& sample = handled.front();
    EXPECT_EQ(sample.fans.size(), 2u);
    EXPECT_GT(std::min(sample.temperatures.cpuMax, sample.temperatures.gpuMax), 20);
}

TEST_F(TelemetrySamplerTest, AnSMCThatCannotBeOpenedProducesNoSamples)
{
    auto store = makeStore();
    store->start(0.02);
    ASSERT_TRUE(test::processEventsUntil([&] { return m_opened.has_value(); }));
    // The first tick ran before `started`, and its sample would have been queued before it.
    EXPECT_EQ(m_opened, false);
    EXPECT_FALSE(store->latest());
    EXPECT_TRUE(store->smcAvailable());
}

TEST_F(TelemetrySamplerTest, FansThatCannotBeReadGiveSamplesWithoutFans)
{
    // FNum says two fans but F1Ac is missing, so every full fan read fails.
    std::ifstream file(MachineProfile::directory() / "two-fan-laptop.json");
    nlohmann::json document = nlohmann::json::parse(file);
    auto& keys = document["keys"];
    keys.erase(std::remove_if(keys.begin(), keys.end(),
                              [](const nlohmann::json& key) { return key["name"] == "F1Ac"; }),
               keys.end());
    VirtualSmc machine(
        MachineProfile::fromJson(document, "broken-fan", MachineProfile::directory()));
    auto registration = machine.registerAsService();
    auto store = makeStore();
    store->start(0.02);
    ASSERT_TRUE(test::processEventsUntil([&] { return store->latest().has_value(); }));
    EXPECT_TRUE(store->latest()->fans.empty());
    EXPECT_GT(store->latest()->temperatures.hottest, 0);
    EXPECT_TRUE(store->smcAvailable());
}

} // namespace
} // namespace brisvane
