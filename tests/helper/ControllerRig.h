#pragma once
// A FanController over an in-process virtual SMC in a private system root, driven from the
// test's thread with a manual clock that the virtual SMC's model time follows (or, on request,
// by its own control thread). Faults, pinned temperatures and the firmware's unlock delay are
// the virtual SMC's own.

#include "tests/virtual-mac/VsmcTestSupport.h"

#include "helper/FanController.h"
#include "helper/HelperLog.h"
#include "platform/virtual-mac/SmcValueCodec.h"
#include "platform/virtual-mac/VirtualSmc.h"
#include "shared/HelperShared.h"
#include "smc/Clock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace brisvane::test {

inline MachineProfile profileNamed(const std::string& name,
                                   const std::function<void(MachineProfile&)>& edit = {})
{
    MachineProfile profile = MachineProfile::loadNamed(name);
    profile.fans.noiseRPM = 0; // nothing in a test depends on the jitter
    if (edit)
        edit(profile);
    return profile;
}

inline MachineProfile instantFirmware(const std::string& name = "two-fan-laptop")
{
    return profileNamed(name, [](MachineProfile& p) { p.firmware.acceptModeAfterSeconds = 0.0; });
}

// Fan 1 without a mode key: a machine whose fans can be watched but not controlled.
inline void withoutSecondModeKey(MachineProfile& profile)
{
    if (profile.keys.find("F1Md") != nullptr) {
        profile.keys.remove("F1Md");
        profile.keys.finalize();
    }
}

using SmcValueCodec::floatBytes;

class ControllerRig {
public:
    // `profile` absent: no SMC service is registered at all. With `controlThread` the
    // controller's own thread runs its calls; `onExit` runs on its delayed exit; with
    // `tickTimer` its own timer ticks it, off the manual clock.
    explicit ControllerRig(std::optional<MachineProfile> profile, bool controlThread = false,
                           std::function<void()> onExit = {}, bool tickTimer = false)
    {
        if (profile) {
            model = std::make_shared<VirtualSmc>(std::move(*profile));
            model->followClock(clock);
            m_registration.emplace(model->registerAsService());
        }
        FanController::Options options;
        options.clock = &clock;
        options.log = &log;
        options.controlThread = controlThread;
        options.tickTimer = tickTimer;
        options.exitAction = [exits = m_exits, onExit] {
            if (onExit)
                onExit();
            ++*exits;
        };
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

    // Set-up as start() posts it; with `celsius`, the temperature is pinned first.
    ControllerRig& setUp(std::optional<double> celsius = std::nullopt)
    {
        if (celsius)
            model->pinTemperature(*celsius);
        controller->start();
        controller->poll();
        return *this;
    }

    // One call and its reply, whichever thread runs it.
    template <typename T, typename Call> T ask(const char* what, Call call)
    {
        auto promise = std::make_shared<std::promise<T>>();
        auto future = promise->get_future();
        call([promise](T value) { promise->set_value(std::move(value)); });
        controller->poll();
        if (future.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
            ADD_FAILURE() << what << " did not reply";
            return T{};
        }
        return future.get();
    }
    std::vector<double> setTargets(std::vector<double> targets)
    {
        return ask<std::vector<double>>(
            "setTargets", [&](auto reply) { controller->setTargets(std::move(targets), reply); });
    }
    void releaseControl()
    {
        ask<bool>("releaseControl",
                  [&](auto reply) { controller->releaseControl([reply] { reply(true); }); });
    }
    // The status as the app decodes it.
    HelperStatus status()
    {
        const auto data = ask<std::vector<std::uint8_t>>(
            "status", [&](auto reply) { controller->status(reply); });
        std::optional<HelperStatus> decoded = HelperStatus::decode(data);
        EXPECT_TRUE(decoded.has_value())
            << "undecodable status: " << std::string(data.begin(), data.end());
        return decoded.value_or(HelperStatus{});
    }
    HelperControlPhase phase() { return status().phase; }
    // Takeover at t = 0 over the default firmware, engaged by the tick at t = 3 (the unlock delay).
    void engage(const std::vector<double>& targets = {3000, 3000})
    {
        setTargets(targets);
        for (int i = 0; i < 3; ++i)
            tick();
        ASSERT_EQ(phase(), HelperControlPhase::controlling);
    }

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
    // A one-byte key (a fan mode, Ftst) as the virtual SMC holds it.
    int byte(const char* key) const { return model->key(key)->data.at(0); }
    std::uint64_t readCalls() const { return model->callCounts().readKey; }
    std::vector<std::string> takeLog()
    {
        std::vector<std::string> texts;
        for (const auto& line : capture.take())
            texts.push_back(std::string(helperLogLevelName(line.level)) + ": " + line.message);
        return texts;
    }
    // Forget what set-up or earlier steps wrote and logged.
    void drain()
    {
        takeWrites();
        takeLog();
    }
    int exits() const { return m_exits->load(); }

    TemporaryRoot root; // first: in place before any SMC lookup
    ScopedSystemRoot systemRoot{root.path()};
    ManualClock clock;
    HelperLog log{std::string(HelperConstants::machServiceName), "control"};
    HelperLogCapture capture{log};
    std::shared_ptr<VirtualSmc> model;
    std::unique_ptr<FanController> controller;

private:
    std::optional<VirtualSmc::ServiceRegistration> m_registration;
    std::shared_ptr<std::atomic<int>> m_exits = std::make_shared<std::atomic<int>>(0);
};

} // namespace brisvane::test
