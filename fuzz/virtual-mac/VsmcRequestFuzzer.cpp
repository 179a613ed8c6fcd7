// Arbitrary user-client calls (selector + 80-byte record, 84 bytes each) against one model,
// with model time stepping between them. Every answer must be one an SMC gives.
#include "platform/virtual-mac/VirtualSmc.h"

#include <cstdlib>
#include <cstring>

namespace {

brisvane::VirtualSmc& model()
{
    static auto* smc = new brisvane::VirtualSmc("two-fan-laptop");
    return *smc;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace brisvane;
    VirtualSmc& smc = model();
    const std::size_t keys = smc.keyCount();
    for (std::size_t at = 0; at + 84 <= size; at += 84) {
        std::uint32_t selector = 0;
        std::memcpy(&selector, data + at, 4);
        // Mostly the SMC selector, so the records get looked at.
        if (selector & 0x80000000u)
            selector = kSMCUserClientSelector;
        SMCParamStruct out;
        std::size_t outSize = sizeof out;
        const kern_return_t code =
            smc.callStructMethod(selector, data + at + 4, 80, &out, &outSize);
        if (code != kIOReturnSuccess && code != kIOReturnBadArgument)
            std::abort();
        if (code == kIOReturnSuccess && out.result != 0 && out.result != kSmcResultBadCommand &&
            out.result != kSmcResultKeyNotFound && out.result != kSmcResultWriteRefused)
            std::abort();
        smc.advance((data[at] & 0x03) * 0.1);
    }
    if (smc.keyCount() != keys || !smc.key("#KEY"))
        std::abort(); // writes never change the directory itself
    return 0;
}
