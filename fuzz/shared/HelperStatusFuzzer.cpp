// Daemon bytes into the status decoder. A record that decodes must encode again and decode to
// an equal record.
#include "shared/HelperShared.h"

#include <cstdlib>

using namespace brisvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto status = HelperStatus::decode({data, size});
    if (!status)
        return 0;
    const auto encoded = status->encode();
    if (encoded.empty())
        std::abort();
    const auto again = HelperStatus::decode(encoded);
    if (!again || !(*again == *status))
        std::abort();
    return 0;
}
