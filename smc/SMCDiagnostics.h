#pragma once
// The plain-text report of everything the SMC layer sees on this machine, for users on
// unfamiliar hardware to send in. Used by the app only (`Brisvane -DumpSMCKeys`).

#include <functional>
#include <optional>
#include <ostream>
#include <string>

namespace brisvane {

class SMCConnection;

struct SMCDiagnostics {
    // What the report says about the program and the machine around the SMC.
    struct Environment {
        // The program's versions, handed in by it; each reads "?" when absent.
        std::optional<std::string> shortVersion;
        std::optional<std::string> bundleVersion;
        std::optional<std::string> helperVersion;
        std::function<std::string(const std::string&)> sysctlString;
        std::string operatingSystemVersion;

        // This machine's system values, without the versions.
        static Environment current();
    };

    static void dump(std::ostream& out, const Environment& environment);

    // Shortest text that reads back as the same value, always with a fractional part.
    static std::string formatNumber(double value);
    static std::string formatNumber(float value);
    // "type=flt  size=4 bytes=[00 00 96 44] = 1200.0", or "(exists, but the read failed)".
    static std::string describeValue(SMCConnection& smc, const std::string& key);
    // The named system value, or "unknown".
    static std::string sysctlString(const std::string& name);
};

} // namespace brisvane
