#include "smc/SMCTemperatureSensors.h"

#include "platform/virtual-mac/SmcValueCodec.h"
#include "platform/virtual-mac/VirtualSmc.h"
#include "smc/IOKit.h"
#include "tests/virtual-mac/VsmcTestSupport.h"

#include <gtest/gtest.h>

#include <functional>

namespace brisvane {
namespace {

using SmcValueCodec::floatBytes;
using test::floatKey;
using test::profileWithKeys;

bool isCpuName(const std::string& n)
{
    return n.starts_with("Tp") || n.starts_with("Te");
}

bool isGpuName(const std::string& n)
{
    return n.starts_with("Tg");
}

// A virtual SMC registered as the machine's SMC service while it lives.
class Machine {
public:
    explicit Machine(MachineProfile profile)
        : m_vsmc(std::make_shared<VirtualSmc>(std::move(profile)))
        , m_registration(m_vsmc->registerAsService())
    {}
    explicit Machine(const std::string& profile)
        : Machine(MachineProfile::loadNamed(profile))
    {}

    VirtualSmc& vsmc() { return *m_vsmc; }
    std::shared_ptr<SMCConnection> connect() { return std::make_shared<SMCConnection>(); }

    // The directory's names in index order, read before a test starts counting.
    std::vector<std::string> names()
    {
        SMCConnection smc;
        std::vector<std::string> out;
        for (std::uint32_t i = 0, n = smc.keyCount(); i < n; ++i)
            out.push_back(smc.keyName(i));
        return out;
    }

    // Sets every die sensor the predicate picks that is a 4-byte float.
    void setSensors(const std::function<bool(const std::string&)>& pick, float celsius)
    {
        for (const auto& name : names()) {
            auto key = m_vsmc->key(name);
            if (pick(name) && key && key->type == "flt " && key->data.size() == 4)
                m_vsmc->setKeyBytes(name, floatBytes(celsius));
        }
    }

    std::uint64_t walkCalls() const { return m_vsmc->callCounts().getKeyFromIndex; }

private:
    std::shared_ptr<VirtualSmc> m_vsmc;
    VirtualSmc::ServiceRegistration m_registration;
};

TEST(SMCTemperatureSensors, ClassifiesByCaseSensitivePrefixAndAcceptsOnlyPlausibleFloats)
{
    Machine machine(profileWithKeys({
        floatKey("TC0P", 40),
        floatKey("TG01", 40),
        floatKey("Te05", 50),
        floatKey("Tg0f", 60),
        floatKey("Tg10", -5),
        {{"name", "Tg11"}, {"type", "ui8 "}, {"value", 60}},
        floatKey("Tp0A", 45.5),
        floatKey("Tp10", 1.0),
        floatKey("Tp11", 128.0),
        floatKey("Tp12", 0.0),
        floatKey("Tp13", 140.0),
        {{"name", "Tp14"}, {"type", "flt "}, {"hex", "0000c07f"}}, // NaN
        floatKey("Tp15", 1.0000001),
        floatKey("Tp16", 127.99999),
        {{"name", "Tp17"}, {"type", "ioft"}, {"hex", "0000000000002c00"}},
        floatKey("tp01", 40),
    }));
    ManualClock clock;
    SMCTemperatureSensors sensors(machine.connect(), clock);

    EXPECT_EQ(sensors.cpuKeys(), (std::vector<std::string>{"Te05", "Tp0A", "Tp15", "Tp16"}));
    EXPECT_EQ(sensors.gpuKeys(), std::vector<std::string>{"Tg0f"});
    EXPECT_EQ(sensors.sensorCounts(), (SMCTemperatureSensors::Counts{4, 1}));

    const double low = 1.0000001f;
    const double high = 127.99999f;
    const auto snapshot = sensors.snapshot();
    EXPECT_DOUBLE_EQ(snapshot.cpuAverage, (50 + 45.5 + low + high) / 4);
    EXPECT_DOUBLE_EQ(snapshot.cpuMax, high);
    EXPECT_DOUBLE_EQ(snapshot.gpuAverage, 60);
    EXPECT_DOUBLE_EQ(snapshot.hottest, high);

    // A known sensor that later reads out of range is left out of the statistics.
    machine.vsmc().setKeyBytes("Tp16", floatBytes(200));
    const auto later = sensors.snapshot();
    EXPECT_DOUBLE_EQ(later.cpuAverage, (50 + 45.5 + low) / 3);
    EXPECT_DOUBLE_EQ(later.cpuMax, 50);
    EXPECT_EQ(sensors.sensorCounts(), (SMCTemperatureSensors::Counts{4, 1}));
}

struct ScheduleCase {
    const char* name;
    bool cpuValid;
    bool gpuValid;
    int sweepsAfterConstruction;
    std::vector<double> intervals; // seconds before each further walk
};

TEST(SMCTemperatureSensors, TheRediscoveryScheduleHoldsToTheSecondUpToItsCaps)
{
    const std::vector<double> cpuEmpty{1, 2, 4, 8, 16, 32, 64, 128, 256, 300, 300, 300, 300, 300};
    const std::vector<double> gpuEmpty{60,   120,  240,  480,  960,  1920, 3600,
                                       3600, 3600, 3600, 3600, 3600, 3600, 3600};
    const ScheduleCase cases[] = {
        {"CPU group empty", false, true, 0, cpuEmpty},
        {"only GPU group empty", true, false, 0, gpuEmpty},
        {"both groups empty", false, false, 1, {2, 4, 8, 16, 32, 64, 128, 256, 300, 300, 300}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Machine machine("two-fan-laptop");
        if (!c.cpuValid)
            machine.setSensors(isCpuName, 0);
        if (!c.gpuValid)
            machine.setSensors(isGpuName, 0);
        const auto directorySize = machine.names().size();
        ManualClock clock;
        SMCTemperatureSensors sensors(machine.connect(), clock);
        ASSERT_EQ(sensors.fruitlessSweeps(), c.sweepsAfterConstruction);
        ASSERT_EQ(sensors.cpuKeys().empty(), !c.cpuValid);
        ASSERT_EQ(sensors.gpuKeys().empty(), !c.gpuValid);

        int sweeps = c.sweepsAfterConstruction;
        for (double interval : c.intervals) {
            SCOPED_TRACE(testing::Message() << "after " << sweeps << " fruitless walks");
            const auto before = machine.walkCalls();
            clock.advanceSeconds(interval - 1);
            sensors.snapshot();
            ASSERT_EQ(machine.walkCalls(), before) << "walked a second early";
            clock.advanceSeconds(1);
            sensors.snapshot();
            ASSERT_EQ(machine.walkCalls(), before + directorySize) << "no full walk when due";
            sensors.snapshot();
            ASSERT_EQ(machine.walkCalls(), before + directorySize) << "walked twice";
            ASSERT_EQ(sensors.fruitlessSweeps(), ++sweeps);
        }
    }
}

TEST(SMCTemperatureSensors, AWalkThatCannotReadTheKeyCountChangesNeitherTheTimeNorTheCount)
{
    for (const bool transport : {false, true}) {
        SCOPED_TRACE(transport ? "transport failure" : "SMC refusal");
        Machine machine("two-fan-laptop");
        machine.setSensors(isGpuName, 0);
        const auto directorySize = machine.names().size();
        ManualClock clock;
        SMCTemperatureSensors sensors(machine.connect(), clock);
        clock.advanceSeconds(60);
        sensors.snapshot();
        ASSERT_EQ(sensors.fruitlessSweeps(), 1); // the next walk is due 120 s after this one

        // #KEY's info is cached by now, so its read is the first call of every attempt.
        clock.advanceSeconds(120);
        for (int i = 0; i < 3; ++i) {
            if (transport)
                machine.vsmc().injectTransportFault(kIOReturnNotResponding, 1);
            else
                machine.vsmc().injectFault("#KEY", SmcOperation::read, kSmcResultKeyNotFound, 1);
            machine.vsmc().resetCallCounts();
            sensors.snapshot();
            const auto counts = machine.vsmc().callCounts();
            EXPECT_EQ(transport ? counts.other : counts.readKey - 12, 1u) << "one try each";
        }
        EXPECT_EQ(machine.walkCalls(), 0u);
        EXPECT_EQ(sensors.fruitlessSweeps(), 1);
        EXPECT_EQ(sensors.cpuKeys().size(), 12u);

        // Still due at the same instant: the failed attempts did not move the last walk's time.
        sensors.snapshot();
        EXPECT_EQ(machine.walkCalls(), directorySize);
        EXPECT_EQ(sensors.fruitlessSweeps(), 2);
    }
}

TEST(SMCTemperatureSensors, AnUnreadableKeyCountFromTheStartRetriesOnEverySnapshot)
{
    Machine machine("two-fan-laptop");
    machine.vsmc().injectFault("#KEY", SmcOperation::read, kSmcResultKeyNotFound);
    ManualClock clock;
    SMCTemperatureSensors sensors(machine.connect(), clock);
    EXPECT_EQ(sensors.sensorCounts(), (SMCTemperatureSensors::Counts{0, 0}));
    EXPECT_EQ(sensors.fruitlessSweeps(), 0);
    EXPECT_EQ(sensors.snapshot(), SMCTemperatureSnapshot{});
    EXPECT_EQ(sensors.snapshot(), SMCTemperatureSnapshot{});
    const auto counts = machine.vsmc().callCounts();
    EXPECT_EQ(counts.readKey, 3u) << "the constructor and each snapshot try once";
    EXPECT_EQ(counts.getKeyFromIndex, 0u);

    machine.vsmc().clearFaults();
    const auto snapshot = sensors.snapshot(); // no time has passed
    EXPECT_EQ(sensors.sensorCounts(), (SMCTemperatureSensors::Counts{12, 4}));
    EXPECT_EQ(sensors.fruitlessSweeps(), 0);
    EXPECT_GT(snapshot.hottest, 40);
}

TEST(SMCTemperatureSensors, OnceBothGroupsAreFilledNoWalkEverRunsAgain)
{
    Machine machine("two-fan-laptop");
    ManualClock clock;
    SMCTemperatureSensors sensors(machine.connect(), clock);
    ASSERT_EQ(sensors.sensorCounts(), (SMCTemperatureSensors::Counts{12, 4}));
    const auto first = sensors.snapshot();

    // Even when every sensor stops giving valid values, the known keys are kept and read.
    machine.setSensors([](const std::string& n) { return isCpuName(n) || isGpuName(n); }, 0);
    machine.vsmc().resetCallCounts();
    for (int i = 0; i < 50; ++i) {
        clock.advanceSeconds(7200);
        EXPECT_EQ(sensors.snapshot(), first);
    }
    const auto counts = machine.vsmc().callCounts();
    EXPECT_EQ(counts.getKeyFromIndex, 0u);
    EXPECT_EQ(counts.getKeyInfo, 0u);
    EXPECT_EQ(counts.readKey, 50u * 16u) << "one read per known sensor per snapshot";
    EXPECT_EQ(counts.total(), counts.readKey);
}

TEST(SMCTemperatureSensors, AWalkThatFillsTheMissingGroupResetsTheCountAndEndsTheWalks)
{
    Machine machine("two-fan-laptop");
    machine.setSensors(isGpuName, 0);
    ManualClock clock;
    SMCTemperatureSensors sensors(machine.connect(), clock);
    clock.advanceSeconds(60);
    sensors.snapshot();
    ASSERT_EQ(sensors.fruitlessSweeps(), 1);

    // A walk replaces a group's list only as a whole, and only when it found some of its keys.
    machine.setSensors([](const std::string& n) { return n.starts_with("Te"); }, 0);
    clock.advanceSeconds(120);
    sensors.snapshot();
    EXPECT_EQ(sensors.cpuKeys().size(), 8u);
    machine.setSensors(isCpuName, 0);
    clock.advanceSeconds(240);
    sensors.snapshot();
    EXPECT_EQ(sensors.cpuKeys().size(), 8u) << "an empty walk keeps the old list";
    ASSERT_EQ(sensors.fruitlessSweeps(), 3);

    machine.setSensors(isGpuName, 55);
    clock.advanceSeconds(480);
    sensors.snapshot();
    EXPECT_EQ(sensors.gpuKeys(), (std::vector<std::string>{"Tg05", "Tg0D", "Tg0L", "Tg0T"}));
    EXPECT_EQ(sensors.fruitlessSweeps(), 0);

    const auto walked = machine.walkCalls();
    for (int i = 0; i < 10; ++i) {
        clock.advanceSeconds(3600);
        sensors.snapshot();
    }
    EXPECT_EQ(machine.walkCalls(), walked);
}

TEST(SMCTemperatureSensors, GpuSensorsThatWakeWithTheFirstWorkloadAreFoundByTheNextDueWalk)
{
    Machine machine("late-gpu");
    ManualClock clock;
    SMCTemperatureSensors sensors(machine.connect(), clock);
    ASSERT_EQ(sensors.sensorCounts(), (SMCTemperatureSensors::Counts{12, 0}));
    ASSERT_EQ(sensors.fruitlessSweeps(), 0);
    EXPECT_EQ(sensors.snapshot().gpuMax, 0);

    clock.advanceSeconds(60);
    sensors.snapshot();
    ASSERT_EQ(sensors.fruitlessSweeps(), 1);
    machine.vsmc().setWorkload(0.2, 0.6);
    clock.advanceSeconds(119);
    EXPECT_EQ(sensors.snapshot().gpuMax, 0) << "found before its walk was due";
    clock.advanceSeconds(1);
    const auto snapshot = sensors.snapshot();
    EXPECT_EQ(sensors.sensorCounts(), (SMCTemperatureSensors::Counts{12, 4}));
    EXPECT_EQ(sensors.fruitlessSweeps(), 0);
    EXPECT_GT(snapshot.gpuMax, 1);
    EXPECT_EQ(snapshot.hottest, std::max(snapshot.cpuMax, snapshot.gpuMax));
}

TEST(SMCTemperatureSensors, BridgesGapsWithTheLastValidStatistics)
{
    Machine machine(profileWithKeys({floatKey("Tg01", 70.5), floatKey("Tg02", 69),
                                     floatKey("Tp01", 60), floatKey("Tp02", 62)}));
    ManualClock clock;
    SMCTemperatureSensors sensors(machine.connect(), clock);
    const SMCTemperatureSnapshot valid{61, 62, 69.75, 70.5, 70.5};
    EXPECT_EQ(sensors.snapshot(), valid);

    // Refused reads, a dead transport and implausible values alike leave the group at its last
    // valid figures.
    machine.vsmc().injectFault("Tp01", SmcOperation::read, kSmcResultKeyNotFound, 1);
    machine.vsmc().injectFault("Tp02", SmcOperation::read, kSmcResultKeyNotFound, 1);
    EXPECT_EQ(sensors.snapshot(), valid);
    machine.vsmc().injectTransportFault(kIOReturnTimeout);
    EXPECT_EQ(sensors.snapshot(), valid);
    machine.vsmc().clearTransportFault();
    machine.vsmc().setKeyBytes("Tp01", floatBytes(0));
    machine.vsmc().setKeyBytes("Tp02", floatBytes(130));
    EXPECT_EQ(sensors.snapshot(), valid);

    machine.vsmc().setKeyBytes("Tp02", floatBytes(80));
    EXPECT_EQ(sensors.snapshot(), (SMCTemperatureSnapshot{80, 80, 69.75, 70.5, 80}));
}

TEST(SMCTemperatureSensors, AGroupThatNeverReadReportsZeroAndHottestComesFromTheOther)
{
    Machine machine(
        profileWithKeys({floatKey("Tg01", 0), floatKey("Tp01", 60), floatKey("Tp02", 62)}));
    ManualClock clock;
    SMCTemperatureSensors sensors(machine.connect(), clock);
    EXPECT_EQ(sensors.snapshot(), (SMCTemperatureSnapshot{61, 62, 0, 0, 62}));

    Machine nothing(profileWithKeys({floatKey("TC0P", 50)}));
    SMCTemperatureSensors none(nothing.connect(), clock);
    EXPECT_EQ(none.snapshot(), SMCTemperatureSnapshot{});
}

TEST(SMCTemperatureSensors, AWalkOfALargeDirectoryCostsOneIndexQueryPerKeyAndTwoCallsPerCandidate)
{
    Machine machine("large-directory");
    const auto names = machine.names();
    ASSERT_GT(names.size(), 1500u);
    const auto candidates = static_cast<std::uint64_t>(std::count_if(
        names.begin(), names.end(), [](const auto& n) { return isCpuName(n) || isGpuName(n); }));

    machine.vsmc().resetCallCounts();
    ManualClock clock;
    SMCTemperatureSensors sensors(machine.connect(), clock);
    const auto counts = machine.vsmc().callCounts();
    // #KEY costs an info query and a read; every Tp/Te/Tg key an info query and a read.
    EXPECT_EQ(counts.getKeyFromIndex, names.size());
    EXPECT_EQ(counts.getKeyInfo, 1 + candidates);
    EXPECT_EQ(counts.readKey, 1 + candidates);
    EXPECT_EQ(counts.writeKey + counts.other, 0u);
    EXPECT_GT(sensors.sensorCounts().cpu, 0);
}

} // namespace
} // namespace brisvane
