// AppleScript sources for the osascript stand-in, and the escaping round trip.
#include "platform/virtual-mac/AppleScriptSource.h"

#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using brisvane::AppleScriptSource;
    const std::string text(reinterpret_cast<const char*>(data), size);
    try {
        (void)AppleScriptSource::adminShellScript(text);
    } catch (const AppleScriptSource::Error&) {
    }
    // Whatever the script, escaping it and reading it back gives it unchanged.
    const std::string source =
        "do shell script \"" + AppleScriptSource::escape(text) + "\" with administrator privileges";
    if (AppleScriptSource::adminShellScript(source) != text)
        std::abort();
    return 0;
}
