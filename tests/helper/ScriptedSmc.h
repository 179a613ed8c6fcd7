#pragma once
// A fault seam over a real in-process VirtualSmc: it passes every call on, except those a test
// scripted to fail the way an SMC does (a refused write, an unknown key, a broken transport),
// and keeps a log of every write attempt with the answer that went back, and per-key counts.

#include "platform/virtual-mac/VirtualSmc.h"
#include "smc/Clock.h"
#include "smc/IOKit.h"
#include "smc/SMCKit.h"

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace brisvane::testing {

struct WriteAttempt {
    std::string key;
    std::vector<std::uint8_t> bytes;
    std::uint8_t result = 0;

    // "F0Md=1", "F0Tg=2910", and " refused 0x86" after a write the SMC did not take.
    std::string text() const
    {
        std::string value;
        if (bytes.size() == 4) {
            float f;
            std::memcpy(&f, bytes.data(), 4); // little-endian host, as the SMC's floats
            char number[32];
            std::snprintf(number, sizeof number, "%g", static_cast<double>(f));
            value = number;
        } else if (bytes.size() == 1) {
            value = std::to_string(bytes[0]);
        } else {
            value = "?";
        }
        std::string line = key + "=" + value;
        if (result != 0) {
            char code[16];
            std::snprintf(code, sizeof code, " refused 0x%x", result);
            line += code;
        }
        return line;
    }
};

class ScriptedSmc final : public iokit::UserClient {
public:
    static constexpr int kAlways = -1;

    explicit ScriptedSmc(std::shared_ptr<VirtualSmc> model)
        : m_model(std::move(model))
    {
    }

    VirtualSmc& model() { return *m_model; }

    // The next `count` calls of `command` on `key` answer with SMC result `result`.
    void fail(const std::string& key, SMCCommand command, std::uint8_t result,
              int count = kAlways)
    {
        std::lock_guard lock(m_mutex);
        m_faults[{smcFourCC(key), command}] = {result, count};
    }
    void failWrites(const std::string& key, std::uint8_t result = kSmcResultWriteRefused,
                    int count = kAlways)
    {
        fail(key, SMCCommand::writeKey, result, count);
    }
    // The next `count` calls of any kind fail in transport with `code`.
    void failTransport(kern_return_t code, int count = kAlways)
    {
        std::lock_guard lock(m_mutex);
        m_transportFault = {code, count};
    }
    void clearFaults()
    {
        std::lock_guard lock(m_mutex);
        m_faults.clear();
        m_transportFault.reset();
    }

    // Firmware that refuses manual mode (0x86) until `acceptAfterSeconds` of `clock` have passed
    // since Ftst was set to 1, or for ever when absent. On a machine without Ftst the delay
    // counts from nothing: manual mode is taken at once unless it is never taken.
    void scriptUnlock(std::optional<double> acceptAfterSeconds, bool hasForceTestKey,
                      const Clock& clock)
    {
        std::lock_guard lock(m_mutex);
        m_unlock = UnlockScript{acceptAfterSeconds, hasForceTestKey, &clock, std::nullopt};
    }

    // Every temperature sensor key (Tp, Te, Tg) reads `celsius` from now on.
    void pinTemperature(double celsius)
    {
        std::lock_guard lock(m_mutex);
        m_pinnedCelsius = celsius;
    }

    std::vector<WriteAttempt> takeWrites()
    {
        std::lock_guard lock(m_mutex);
        return std::exchange(m_writes, {});
    }
    std::vector<std::string> takeWriteTexts()
    {
        std::vector<std::string> texts;
        for (const WriteAttempt& write : takeWrites())
            texts.push_back(write.text());
        return texts;
    }
    int reads(const std::string& key) const
    {
        std::lock_guard lock(m_mutex);
        auto it = m_reads.find(smcFourCC(key));
        return it == m_reads.end() ? 0 : it->second;
    }
    // Reads of Tp, Te and Tg keys: the sensor walk's and every snapshot's.
    int temperatureReads() const
    {
        std::lock_guard lock(m_mutex);
        int reads = 0;
        for (const auto& [key, count] : m_reads)
            reads += isTemperatureKey(key) ? count : 0;
        return reads;
    }
    int calls() const
    {
        std::lock_guard lock(m_mutex);
        return m_calls;
    }
    void resetCounts()
    {
        std::lock_guard lock(m_mutex);
        m_reads.clear();
        m_calls = 0;
    }

    kern_return_t callStructMethod(std::uint32_t selector, const void* input,
                                   std::size_t inputSize, void* output,
                                   std::size_t* outputSize) override
    {
        if (input == nullptr || inputSize != sizeof(SMCParamStruct) || output == nullptr)
            return m_model->callStructMethod(selector, input, inputSize, output, outputSize);
        SMCParamStruct request;
        std::memcpy(&request, input, sizeof request);
        const auto command = static_cast<SMCCommand>(request.data8);

        std::unique_lock lock(m_mutex);
        ++m_calls;
        if (m_transportFault && consume(m_transportFault->second))
            return m_transportFault->first;
        if (command == SMCCommand::readKey)
            ++m_reads[request.key];

        std::optional<std::uint8_t> injected;
        if (auto it = m_faults.find({request.key, command}); it != m_faults.end()) {
            if (consume(it->second.second))
                injected = it->second.first;
        }
        if (!injected && command == SMCCommand::writeKey && isModeKey(request.key) &&
            request.bytes[0] != 0 && m_unlock && !m_unlock->grantsManualMode())
            injected = kSmcResultWriteRefused;
        const std::optional<double> pinned = m_pinnedCelsius;
        lock.unlock();

        kern_return_t rc = kIOReturnSuccess;
        SMCParamStruct reply = SMCParamStruct::zeroed();
        if (injected) {
            reply.key = request.key;
            reply.data8 = request.data8;
            reply.result = *injected;
        } else {
            std::size_t size = sizeof reply;
            rc = m_model->callStructMethod(selector, &request, sizeof request, &reply, &size);
            if (rc == kIOReturnSuccess && command == SMCCommand::readKey && pinned &&
                reply.result == 0 && isTemperatureKey(request.key)) {
                const float value = static_cast<float>(*pinned);
                std::memcpy(reply.bytes.data(), &value, sizeof value);
            }
        }
        if (rc != kIOReturnSuccess)
            return rc;

        if (command == SMCCommand::writeKey) {
            const std::size_t size =
                std::min<std::size_t>(request.keyInfo.dataSize, request.bytes.size());
            std::lock_guard relock(m_mutex);
            if (m_unlock && reply.result == 0 && request.key == smcFourCC("Ftst"))
                m_unlock->unlockedAt = request.bytes[0] != 0
                                           ? std::optional(m_unlock->clock->now())
                                           : std::nullopt;
            m_writes.push_back({smcFourCCString(request.key),
                                {request.bytes.begin(), request.bytes.begin() + size},
                                reply.result});
        }
        std::memcpy(output, &reply, sizeof reply);
        if (outputSize != nullptr)
            *outputSize = sizeof reply;
        return kIOReturnSuccess;
    }

private:
    struct UnlockScript {
        std::optional<double> acceptAfterSeconds;
        bool hasForceTestKey;
        const Clock* clock;
        std::optional<Clock::time_point> unlockedAt;

        bool grantsManualMode() const
        {
            if (!acceptAfterSeconds)
                return false;
            if (!hasForceTestKey)
                return true;
            return unlockedAt &&
                   Clock::secondsBetween(*unlockedAt, clock->now()) >= *acceptAfterSeconds;
        }
    };

    static bool isModeKey(std::uint32_t key)
    {
        const std::string name = smcFourCCString(key);
        return name[0] == 'F' && (name.substr(2) == "Md" || name.substr(2) == "md");
    }
    static bool consume(int& remaining)
    {
        if (remaining == 0)
            return false;
        if (remaining > 0)
            --remaining;
        return true;
    }
    static bool isTemperatureKey(std::uint32_t key)
    {
        const std::string name = smcFourCCString(key);
        return name.rfind("Tp", 0) == 0 || name.rfind("Te", 0) == 0 || name.rfind("Tg", 0) == 0;
    }

    std::shared_ptr<VirtualSmc> m_model;
    mutable std::mutex m_mutex;
    std::map<std::pair<std::uint32_t, SMCCommand>, std::pair<std::uint8_t, int>> m_faults;
    std::optional<std::pair<kern_return_t, int>> m_transportFault;
    std::optional<double> m_pinnedCelsius;
    std::optional<UnlockScript> m_unlock;
    std::vector<WriteAttempt> m_writes;
    std::map<std::uint32_t, int> m_reads;
    int m_calls = 0;
};

} // namespace brisvane::testing
