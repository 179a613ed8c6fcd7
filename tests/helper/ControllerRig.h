#pragma once
// A FanController without control thread or timer over an in-process virtual SMC, driven from
// the test's thread with a manual clock that the virtual SMC's model time follows. Faults, pinned
// temperatures and the firmware's unlock delay are the virtual SMC's own.

#include "helper/FanController.h"
#include "helper/HelperLog.h"
#include "platform/virtual-mac/VirtualSmc.h"
#include "shared/HelperShared.h"
#include "smc/Clock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace brisvane::testing {

// A private system root for the test: no virtual Mac's sockets, files of its own.
class TemporarySystemRoot {
public:
    TemporarySystemRoot()
    {
        char pattern[] = "/tmp/brisvane-helper-test-XXXXXX";
        const char* made = ::mkdtemp(pattern);
        if (made == nullptr)
            throw std::runtime_error("mkdtemp failed");
        m_path = made;
        ::setenv("BRISVANE_SYSTEM_ROOT", m_path.c_str(), 1);
    }
    ~TemporarySystemRoot()
    {
        ::unsetenv("BRISVANE_SYSTEM_ROOT");
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

inline MachineProfile profileNamed(const std::string& name,
                                   const std::function<void(MachineProfile&)>& edit = {})
{
    MachineProfile profile = MachineProfile::loadNamed(name);
    // Quiet fans, so that nothing in a test depends on the jitter.
    profile.fans.noiseRPM = 0;
    if (edit)
        edit(profile);
    return profile;
}

inline std::vector<std::uint8_t> floatBytes(float value)
{
    std::vector<std::uint8_t> bytes(4);
    std::memcpy(bytes.data(), &value, 4); // the SMC's floats are little-endian, as is the host
    return bytes;
}

// "F0Md=1", "F0Tg=2910", and " refused 0x86" after a write the SMC did not take.
inline std::string writeText(const std::string& key, const std::vector<std::uint8_t>& bytes,
                             std::uint8_t result)
{
    std::string value = "?";
    if (bytes.size() == 4) {
        float f;
        std::memcpy(&f, bytes.data(), 4);
        char number[32];
        std::snprintf(number, sizeof number, "%g", static_cast<double>(f));
        value = number;
    } else if (bytes.size() == 1) {
        value = std::to_string(bytes[0]);
    }
    std::string line = key + "=" + value;
    if (result != 0) {
        char code[16];
        std::snprintf(code, sizeof code, " refused 0x%x", result);
        line += code;
    }
    return line;
}

inline std::vector<std::string> logTexts(const std::vector<HelperLogCapture::Line>& lines)
{
    std::vector<std::string> texts;
    for (const auto& line : lines)
        texts.push_back(std::string(helperLogLevelName(line.level)) + ": " + line.message);
    return texts;
}

class ControllerRig {
public:
    // `profile` absent: no SMC service is registered at all.
    explicit ControllerRig(std::optional<MachineProfile> profile)
    {
        if (profile) {
            model = std::make_shared<VirtualSmc>(std::move(*profile));
            model->followClock(clock);
            m_registration.emplace(model->registerAsService());
        }
        FanController::Options options;
        options.clock = &clock;
        options.log = &log;
        options.controlThread = false;
        options.tickTimer = false;
        options.exitAction = [exits = m_exits] { ++*exits; };
        controller = std::make_unique<FanController>(std::move(options));
    }
    explicit ControllerRig(const std::string& profileName = "two-fan-laptop")
        : ControllerRig(profileNamed(profileName))
    {}
    ~ControllerRig()
    {
        controller.reset();
        m_registration.reset();
    }

    // Set-up as start() posts it, then the log and writes it produced are dropped.
    ControllerRig& setUp()
    {
        controller->start();
        controller->poll();
        return *this;
    }

    std::vector<double> setTargets(std::vector<double> targets)
    {
        std::optional<std::vector<double>> result;
        controller->setTargets(std::move(targets),
                               [&](std::vector<double> effective) { result = effective; });
        controller->poll();
        EXPECT_TRUE(result.has_value()) << "setTargets did not reply";
        return result.value_or(std::vector<double>{});
    }

    void releaseControl()
    {
        bool replied = false;
        controller->releaseControl([&] { replied = true; });
        controller->poll();
        EXPECT_TRUE(replied) << "releaseControl did not reply";
    }

    std::vector<std::uint8_t> statusBytes()
    {
        std::optional<std::vector<std::uint8_t>> result;
        controller->status([&](std::vector<std::uint8_t> data) { result = data; });
        controller->poll();
        EXPECT_TRUE(result.has_value()) << "status did not reply";
        return result.value_or(std::vector<std::uint8_t>{});
    }

    // The status as the app decodes it.
    HelperStatus status()
    {
        const std::vector<std::uint8_t> data = statusBytes();
        std::optional<HelperStatus> decoded = HelperStatus::decode(data);
        EXPECT_TRUE(decoded.has_value())
            << "undecodable status: " << std::string(data.begin(), data.end());
        return decoded.value_or(HelperStatus{});
    }
    HelperControlPhase phase() { return status().phase; }

    void advance(double seconds) { clock.advanceSeconds(seconds); }
    // Ticks once a second for `seconds` seconds, renewing `targets` every `renewEvery` seconds
    // the way the app keeps its heartbeat.
    void holdFor(int seconds, const std::vector<double>& targets, int renewEvery = 2)
    {
        for (int s = 1; s <= seconds; ++s) {
            tick();
            if (s % renewEvery == 0)
                setTargets(targets);
        }
    }
    // The clock moves on by `seconds`, then one tick runs.
    void tick(double seconds = 1.0)
    {
        advance(seconds);
        controller->runTick();
    }

    // The virtual SMC's write journal since the last call, refused writes included.
    std::vector<std::string> takeWrites()
    {
        std::vector<std::string> texts;
        if (model) {
            for (const SmcJournalEntry& entry : model->takeJournal())
                texts.push_back(writeText(entry.key, entry.bytes, entry.result));
        }
        return texts;
    }
    void failWrites(const std::string& key, std::uint8_t result = kSmcResultWriteRefused,
                    std::optional<int> count = std::nullopt)
    {
        model->injectFault(key, SmcOperation::write, result, count);
    }
    std::uint64_t readCalls() const { return model->callCounts().readKey; }
    std::vector<std::string> takeLog() { return logTexts(capture.take()); }
    // Forget what set-up or earlier steps wrote and logged.
    void drain()
    {
        takeWrites();
        takeLog();
    }
    int exits() const { return m_exits->load(); }

    TemporarySystemRoot root; // first: set before any SMC lookup
    ManualClock clock;
    HelperLog log{std::string(HelperConstants::machServiceName), "control"};
    HelperLogCapture capture{log};
    std::shared_ptr<VirtualSmc> model;
    std::unique_ptr<FanController> controller;

private:
    std::optional<VirtualSmc::ServiceRegistration> m_registration;
    std::shared_ptr<std::atomic<int>> m_exits = std::make_shared<std::atomic<int>>(0);
};

} // namespace brisvane::testing
