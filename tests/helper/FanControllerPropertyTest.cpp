// Random sequences of requests, ticks, clock jumps, faults and temperatures (seeded, so a failure
// can be replayed by its seed). After every step: each target written lies between the floors
// and the fan's maximum, and once the heartbeat has run out the next tick leaves the fans idle.
#include "tests/helper/ControllerRig.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace brisvane::test {
namespace {

using Phase = HelperControlPhase;

constexpr int kSequences = 400;
constexpr int kStepsPerSequence = 80;
constexpr std::uint32_t kBaseSeed = 20240601;

struct Fan {
    double minRPM;
    double maxRPM;
};

class Sequence {
public:
    explicit Sequence(std::uint32_t seed)
        : m_random(seed)
    {
        const int firmware = pick(0, 4);
        const std::optional<double> acceptAfter[] = {0.0, 1.0, 3.0, 7.0, std::nullopt};
        m_rig = std::make_unique<ControllerRig>(
            profileNamed("two-fan-laptop", [&](MachineProfile& profile) {
                profile.firmware.acceptModeAfterSeconds = acceptAfter[firmware];
            }));
        for (int i = 0; i < 2; ++i) {
            const std::string f = "F" + std::to_string(i);
            m_fans.push_back(
                {*m_rig->model->readFloatKey(f + "Mn"), *m_rig->model->readFloatKey(f + "Mx")});
        }
        m_rig->model->pinTemperature(pickReal(20, 100));
        m_rig->setUp();
        m_rig->drain();
    }

    // One random step; returns what it did, for the failure message.
    std::string step()
    {
        ControllerRig& rig = *m_rig;
        switch (pick(0, 9)) {
        case 0:
        case 1:
        case 2: {
            std::vector<double> targets = randomTargets();
            m_lastRequest = rig.clock.now();
            m_tickedAfterHeartbeat = false;
            rig.setTargets(targets);
            return "setTargets " + describe(targets);
        }
        case 3:
        case 4:
        case 5:
            tick(1.0);
            return "tick";
        case 6: {
            const double seconds = pickReal(0, 8);
            tick(seconds);
            return "tick after " + std::to_string(seconds) + " s";
        }
        case 7:
            rig.releaseControl();
            return "releaseControl";
        case 8: {
            const double celsius = pick(0, 5) == 0 ? 50.0 : pickReal(20, 100);
            rig.model->pinTemperature(celsius);
            return "temperature " + std::to_string(celsius);
        }
        default:
            return fault();
        }
    }

    // The invariants after a step; empty when they hold.
    std::string violations()
    {
        std::ostringstream problems;
        const HelperStatus status = m_rig->status();
        const double floor = HelperSafetyFloor::floorPercent(status.hottestSensorCelsius);
        for (const SmcJournalEntry& write : m_rig->model->takeJournal()) {
            if (write.key.size() != 4 || write.key[0] != 'F' || write.key.substr(2) != "Tg" ||
                write.bytes.size() != 4)
                continue;
            const int index = write.key[1] - '0';
            const Fan& fan = m_fans.at(index);
            float value;
            std::memcpy(&value, write.bytes.data(), 4);
            const double safety =
                floor > 0 ? fan.minRPM + floor / 100 * (fan.maxRPM - fan.minRPM) : 0.0;
            const double autoFloor = static_cast<std::size_t>(index) < status.autoFloors.size()
                                         ? status.autoFloors[index]
                                         : 0.0;
            const double lowest = std::min(std::max(safety, autoFloor), fan.maxRPM);
            if (!(value >= static_cast<float>(lowest)))
                problems << write.key << "=" << value << " below its floor " << lowest << "; ";
            if (!(value <= static_cast<float>(fan.maxRPM)))
                problems << write.key << "=" << value << " above the maximum " << fan.maxRPM
                         << "; ";
        }
        if (m_tickedAfterHeartbeat && status.phase != Phase::idle)
            problems << "phase " << rawValue(status.phase) << " after the heartbeat ran out; ";
        if (status.isControlling() != !status.effectiveTargets.empty())
            problems << "effectiveTargets " << describe(status.effectiveTargets) << " in phase "
                     << rawValue(status.phase) << "; ";
        m_rig->takeLog();
        return problems.str();
    }

private:
    void tick(double seconds)
    {
        m_rig->tick(seconds);
        m_tickedAfterHeartbeat =
            !m_lastRequest || Clock::secondsBetween(*m_lastRequest, m_rig->clock.now()) >=
                                  HelperConstants::heartbeatTimeout;
    }

    std::string fault()
    {
        static const char* const keys[] = {"F0Tg", "F1Tg", "F0Md", "F1Md", "Ftst"};
        switch (pick(0, 3)) {
        case 0: {
            const char* key = keys[pick(0, 4)];
            const int count = pick(1, 3);
            m_rig->failWrites(key, kSmcResultWriteRefused, count);
            return std::string("refuse ") + key + " writes x" + std::to_string(count);
        }
        case 1:
            m_rig->model->injectTransportFault(kIOReturnNotResponding, pick(1, 4));
            return "transport fault";
        default:
            m_rig->model->clearFaults();
            m_rig->model->clearTransportFault();
            return "clear faults";
        }
    }

    std::vector<double> randomTargets()
    {
        std::vector<double> targets(pick(0, 4));
        for (double& target : targets) {
            switch (pick(0, 7)) {
            case 0:
                target = std::numeric_limits<double>::quiet_NaN();
                break;
            case 1:
                target = -pickReal(0, 5000);
                break;
            case 2:
                target = std::numeric_limits<double>::infinity();
                break;
            case 3:
                target = 0;
                break;
            default:
                target = pickReal(0, 9000);
            }
        }
        return targets;
    }

    static std::string describe(const std::vector<double>& values)
    {
        std::ostringstream text;
        text << "[";
        for (std::size_t i = 0; i < values.size(); ++i)
            text << (i ? ", " : "") << values[i];
        return text.str() + "]";
    }

    int pick(int low, int high) { return std::uniform_int_distribution(low, high)(m_random); }
    double pickReal(double low, double high)
    {
        return std::uniform_real_distribution(low, high)(m_random);
    }

    std::mt19937 m_random;
    std::unique_ptr<ControllerRig> m_rig;
    std::vector<Fan> m_fans;
    std::optional<Clock::time_point> m_lastRequest;
    bool m_tickedAfterHeartbeat = false;
};

TEST(FanControllerProperty, TargetsStayBetweenTheFloorsAndTheMaximumAndTheHeartbeatReleases)
{
    for (int s = 0; s < kSequences; ++s) {
        const std::uint32_t seed = kBaseSeed + static_cast<std::uint32_t>(s);
        Sequence sequence(seed);
        std::vector<std::string> steps;
        for (int i = 0; i < kStepsPerSequence; ++i) {
            steps.push_back(sequence.step());
            const std::string problems = sequence.violations();
            if (!problems.empty()) {
                std::string history;
                for (const std::string& step : steps)
                    history += "\n  " + step;
                FAIL() << "seed " << seed << ", step " << i << ": " << problems
                       << "\nsteps:" << history;
            }
        }
    }
}

} // namespace
} // namespace brisvane::test
