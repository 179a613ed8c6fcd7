#pragma once
// The virtual Mac's rig on the shared test support: raw SMC records, machines of a few keys, and
// the served virtual Macs of tests/support.

#include "tests/support/Environment.h"
#include "tests/support/Eventually.h"
#include "tests/support/Files.h"
#include "tests/support/Process.h"
#include "tests/support/SmcJournal.h"
#include "tests/support/VirtualMac.h"

#include "platform/virtual-mac/VirtualSmc.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace brisvane::test {

inline SMCParamStruct request(SMCCommand command, const std::string& key = "")
{
    SMCParamStruct record = SMCParamStruct::zeroed();
    record.key = smcFourCC(key);
    record.data8 = static_cast<std::uint8_t>(command);
    return record;
}

inline SMCParamStruct writeRequest(const std::string& key, const std::vector<std::uint8_t>& bytes,
                                   std::uint32_t declaredSize)
{
    SMCParamStruct record = request(SMCCommand::writeKey, key);
    record.keyInfo.dataSize = declaredSize;
    std::copy(bytes.begin(), bytes.end(), record.bytes.begin());
    return record;
}

// One call through the user-client interface; the kern_return_t must be success.
inline SMCParamStruct call(iokit::UserClient& client, const SMCParamStruct& input)
{
    SMCParamStruct output = SMCParamStruct::zeroed();
    std::size_t size = sizeof output;
    EXPECT_EQ(client.callStructMethod(kSMCUserClientSelector, &input, sizeof input, &output, &size),
              kIOReturnSuccess);
    return output;
}

// Points BRISVANE_SYSTEM_ROOT somewhere for the life of the object.
struct ScopedSystemRoot : ScopedEnv {
    explicit ScopedSystemRoot(const std::filesystem::path& root)
        : ScopedEnv("BRISVANE_SYSTEM_ROOT", root.string())
    {}
};

// A machine built for one test: the listed keys and nothing else. Taken by value, so that a
// list of one key is still an array.
inline MachineProfile profileWithKeys(nlohmann::json keys)
{
    return MachineProfile::fromJson({{"keys", std::move(keys)}}, "test-machine", ".");
}

inline nlohmann::json floatKey(const std::string& name, double value)
{
    return {{"name", name}, {"type", "flt "}, {"value", value}};
}

// What a call through SMCKit failed with, as users see it, or nothing.
template <typename Call> std::string smcErrorOf(Call call)
{
    try {
        call();
        return "";
    } catch (const SMCError& e) {
        return e.description();
    }
}

} // namespace brisvane::test
