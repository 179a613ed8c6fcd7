#pragma once
// The one AppleScript statement the virtual Mac's osascript runs:
//   do shell script "…" with administrator privileges
// The string literal's escaping is undone exactly: \" and \\ are the only escapes, and any
// other backslash is a syntax error. Outside input, so every malformed source fails cleanly.

#include <stdexcept>
#include <string>
#include <string_view>

namespace brisvane {

class AppleScriptSource {
public:
    class Error : public std::runtime_error {
    public:
        using std::runtime_error::runtime_error;
    };

    // The shell script the statement carries.
    static std::string adminShellScript(std::string_view source);
    // The body of a string literal (between its quotes) back to the text it stands for.
    static std::string unescape(std::string_view body);
    // The inverse: backslashes doubled first, then every double quote escaped.
    static std::string escape(std::string_view text);
};

} // namespace brisvane
