// Arbitrary control-socket lines: the answer is always one JSON object with "ok".
#include "platform/virtual-mac/ControlProtocol.h"
#include "platform/virtual-mac/VirtualSmc.h"

#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static auto* smc = new brisvane::VirtualSmc("two-fan-laptop");
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    const nlohmann::json reply = brisvane::ControlProtocol::execute(*smc, line);
    if (!reply.is_object() || !reply.contains("ok"))
        std::abort();
    // The server sends it with invalid UTF-8 replaced; that must never throw.
    (void)reply.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    return 0;
}
