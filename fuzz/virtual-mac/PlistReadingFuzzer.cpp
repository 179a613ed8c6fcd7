// launchd property lists for the launchctl stand-in: parse, then read as a job.
#include "platform/virtual-mac/LaunchdJob.h"
#include "platform/virtual-mac/PropertyList.h"

#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace brisvane;
    try {
        const PlistValue value =
            PropertyList::parse(std::string_view(reinterpret_cast<const char*>(data), size));
        (void)LaunchdJob::fromPlist(value);
    } catch (const PropertyList::Error&) {
    }
    return 0;
}
