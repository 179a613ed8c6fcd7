#include "SMCDiagnostics.h"

#include "SMCKit.h"
#include "SMCTemperatureSensors.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <vector>

#if defined(__APPLE__)
#include <sys/sysctl.h>
#else
#include <sys/utsname.h>
#endif

namespace brisvane {
namespace {

template <typename Number> std::string shortest(Number value)
{
    // Plain decimals below 1e16 in magnitude (100000.0, not 1e+05), the shorter of the two
    // forms beyond. The plain form of the smallest subnormal double runs to about 330 characters.
    char text[400];
    auto [end, ec] = std::abs(value) < Number(1e16)
                         ? std::to_chars(text, text + sizeof text, value, std::chars_format::fixed)
                         : std::to_chars(text, text + sizeof text, value);
    std::string result(text, ec == std::errc() ? end : text);
    // Integral values still show a fraction; exponent forms and nan/inf stand as they are.
    if (result.find_first_not_of("-0123456789") == std::string::npos)
        result += ".0";
    return result;
}

std::string hexBytes(const std::vector<std::uint8_t>& bytes)
{
    std::string text;
    char byte[4];
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(byte, sizeof byte, "%02x", bytes[i]);
        if (i > 0)
            text += ' ';
        text += byte;
    }
    return text;
}

#if defined(__APPLE__)
// The form the system itself shows, "Version 14.2.1 (Build 23C71)".
std::string appleVersionString()
{
    const std::string version = SMCDiagnostics::sysctlString("kern.osproductversion");
    const std::string build = SMCDiagnostics::sysctlString("kern.osversion");
    return "Version " + version + " (Build " + build + ")";
}
#else
std::string firstLineValue(const char* path, const std::string& prefix)
{
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (prefix.empty())
            return line;
        if (line.rfind(prefix, 0) == 0) {
            auto colon = line.find(':');
            if (colon == std::string::npos)
                return {};
            auto start = line.find_first_not_of(" \t", colon + 1);
            return start == std::string::npos ? std::string() : line.substr(start);
        }
    }
    return {};
}

std::string linuxVersionString()
{
    std::string name;
    std::ifstream release("/etc/os-release");
    std::string line;
    while (std::getline(release, line)) {
        if (line.rfind("PRETTY_NAME=", 0) == 0) {
            name = line.substr(12);
            if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
                name = name.substr(1, name.size() - 2);
        }
    }
    utsname uts{};
    std::string kernel = ::uname(&uts) == 0 ? std::string(uts.sysname) + " " + uts.release : "";
    if (name.empty())
        return kernel.empty() ? "unknown" : kernel;
    return kernel.empty() ? name : name + " (" + kernel + ")";
}
#endif

void dumpFanCount(std::ostream& out, SMCConnection& smc)
{
    out << "\n-- fan count ------------------------------------------------\n";
    try {
        SMCValue value = smc.readBytes("FNum");
        if (value.data.empty())
            throw SMCError::keyError("FNum", 255);
        out << "FNum           : " << int(value.data[0]) << "\n";
    } catch (const SMCError& e) {
        out << "FNum           : UNREADABLE (" << e.description() << ")\n"
            << "                 -> the app would see 0 fans because of this\n";
    }
    for (const char* key : {"FCnt", "FMax", "FS! "})
        if (smc.keyExists(key))
            out << "also present   : " << key << " " << SMCDiagnostics::describeValue(smc, key)
                << "\n";
}

void dumpPerFanKeys(std::ostream& out, SMCConnection& smc)
{
    int slots = 4;
    try {
        SMCValue value = smc.readBytes("FNum");
        if (!value.data.empty())
            slots = value.data[0];
    } catch (const SMCError&) {
    }
    out << "\n-- per-fan keys (probing " << slots << " slot(s)) ---------------------------\n"
        << "Ac=actual Tg=target Mn=min Mx=max Md/md=mode\n";
    for (int i = 0; i < slots; ++i) {
        out << "  fan " << i << ":\n";
        for (const char* suffix : {"Ac", "Tg", "Mn", "Mx", "Md", "md", "Sf", "Tp"}) {
            const std::string key = "F" + std::to_string(i) + suffix;
            out << "    " << key << "  "
                << (smc.keyExists(key) ? SMCDiagnostics::describeValue(smc, key) : "absent")
                << "\n";
        }
    }
}

void dumpUnlockKey(std::ostream& out, SMCConnection& smc)
{
    out << "\n-- firmware unlock ------------------------------------------\n";
    if (smc.keyExists("Ftst"))
        out << "Ftst           : present " << SMCDiagnostics::describeValue(smc, "Ftst") << "\n";
    else
        out << "Ftst           : absent (expected on M5 and later)\n";
}

void dumpKeyDirectory(std::ostream& out, SMCConnection& smc)
{
    out << "\n-- key directory --------------------------------------------\n";
    std::uint32_t count = 0;
    try {
        count = smc.keyCount();
    } catch (const SMCError&) {
        out << "#KEY           : UNREADABLE \u2014 cannot enumerate keys\n";
        return;
    }
    out << "#KEY           : " << count << " keys total\n";

    std::vector<std::string> fanKeys;
    std::vector<std::string> sample;
    int temperatureKeys = 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        std::string name;
        try {
            name = smc.keyName(i);
        } catch (const SMCError&) {
            continue;
        }
        if (name.rfind("F", 0) == 0) {
            fanKeys.push_back(name);
        } else if (name.rfind("Tp", 0) == 0 || name.rfind("Te", 0) == 0 ||
                   name.rfind("Tg", 0) == 0) {
            if (++temperatureKeys <= 12)
                sample.push_back(name);
        }
    }

    out << "\nall F* keys (" << fanKeys.size() << "):\n";
    for (const std::string& key : fanKeys)
        out << "    " << key << "  " << SMCDiagnostics::describeValue(smc, key) << "\n";
    out << "\ntemperature keys matching Tp*/Te*/Tg*: " << temperatureKeys << "\n    first few: ";
    for (std::size_t i = 0; i < sample.size(); ++i)
        out << (i ? ", " : "") << sample[i];
    out << "\n";
    if (temperatureKeys == 0)
        out << "    -> no recognised die sensors; temperatures would read as unavailable\n";
}

void dumpSensorDiscovery(std::ostream& out, const std::shared_ptr<SMCConnection>& smc)
{
    out << "\n-- sensor discovery (what the app actually ends up using) ----\n";
    SMCTemperatureSensors sensors(smc);
    const auto counts = sensors.sensorCounts();
    out << "CPU sensors    : " << counts.cpu << "   (Tp* / Te*)\n"
        << "GPU sensors    : " << counts.gpu << "   (Tg*)\n";
    const SMCTemperatureSnapshot snapshot = sensors.snapshot();
    using F = SMCDiagnostics;
    out << "reads back as  : cpu avg " << F::formatNumber(snapshot.cpuAverage) << " max "
        << F::formatNumber(snapshot.cpuMax) << "\n"
        << "                 gpu avg " << F::formatNumber(snapshot.gpuAverage) << " max "
        << F::formatNumber(snapshot.gpuMax) << ", hottest " << F::formatNumber(snapshot.hottest)
        << "\n";
    if (counts.cpu == 0)
        out << "    -> NO CPU SENSORS. The helper's temperature safety floor has no\n"
               "       input, and discovery re-runs every few seconds trying to\n"
               "       recover. This is the expensive case.\n";
    if (counts.cpu > 0 && counts.gpu > 0)
        out << "    -> both groups filled; no repeated re-enumeration.\n";
    if (counts.gpu == 0)
        out << "    -> NO GPU SENSORS. Either the GPU was powered down just now, or\n"
               "       this Mac does not spell them Tg*. Discovery keeps retrying on\n"
               "       a back-off, and each retry walks every key the SMC has.\n";
}

} // namespace

std::string SMCDiagnostics::formatNumber(double value)
{
    return shortest(value);
}

std::string SMCDiagnostics::formatNumber(float value)
{
    return shortest(value);
}

std::string SMCDiagnostics::describeValue(SMCConnection& smc, const std::string& key)
{
    SMCValue value;
    try {
        value = smc.readBytes(key);
    } catch (const SMCError&) {
        return "(exists, but the read failed)";
    }
    std::string text = "type=" + value.type + " size=" + std::to_string(value.data.size()) +
                       " bytes=[" + hexBytes(value.data) + "]";
    try {
        if (value.type == "flt ") {
            text += " = " + formatNumber(smc.readFloat(key));
        } else if (value.type == "ui8 " || value.type == "hex_" || value.type == "flag") {
            const SMCValue again = smc.readBytes(key);
            if (!again.data.empty())
                text += " = " + std::to_string(again.data[0]);
        }
    } catch (const SMCError&) {
        // The bytes are already shown; a failed decode adds nothing.
    }
    return text;
}

std::string SMCDiagnostics::sysctlString(const std::string& name)
{
#if defined(__APPLE__)
    std::size_t size = 0;
    if (::sysctlbyname(name.c_str(), nullptr, &size, nullptr, 0) != 0 || size < 1)
        return "unknown";
    std::vector<char> buffer(size, '\0');
    if (::sysctlbyname(name.c_str(), buffer.data(), &size, nullptr, 0) != 0)
        return "unknown";
    return std::string(buffer.data());
#else
    // The Linux homes of the two values the report asks for.
    std::string value;
    if (name == "hw.model")
        value = firstLineValue("/sys/devices/virtual/dmi/id/product_name", "");
    else if (name == "machdep.cpu.brand_string")
        value = firstLineValue("/proc/cpuinfo", "model name");
    return value.empty() ? "unknown" : value;
#endif
}

SMCDiagnostics::Environment SMCDiagnostics::Environment::current()
{
    Environment environment;
    environment.sysctlString = &SMCDiagnostics::sysctlString;
#if defined(__APPLE__)
    environment.operatingSystemVersion = appleVersionString();
#else
    environment.operatingSystemVersion = linuxVersionString();
#endif
    return environment;
}

void SMCDiagnostics::dump(std::ostream& out, const Environment& environment)
{
    const auto sysctl = [&](const char* name) {
        return environment.sysctlString ? environment.sysctlString(name) : std::string("unknown");
    };
    out << "Brisvane SMC diagnostic dump\n"
        << "=============================\n"
        << "app version   : " << environment.shortVersion.value_or("?") << " ("
        << environment.bundleVersion.value_or("?") << "), helper code "
        << environment.helperVersion.value_or("?") << "\n"
        << "hardware model: " << sysctl("hw.model") << "\n"
        << "cpu           : " << sysctl("machdep.cpu.brand_string") << "\n"
        << "macOS         : " << environment.operatingSystemVersion << "\n"
        << "\n";

    std::shared_ptr<SMCConnection> smc;
    try {
        smc = std::make_shared<SMCConnection>();
    } catch (const SMCError& e) {
        out << "FATAL: could not open the SMC: " << e.description() << "\n"
            << "Nothing below can be collected. Please send this file anyway.\n";
        return;
    }
    out << "SMC connection: OK\n";
    dumpFanCount(out, *smc);
    dumpPerFanKeys(out, *smc);
    dumpUnlockKey(out, *smc);
    dumpKeyDirectory(out, *smc);
    dumpSensorDiscovery(out, smc);
    out << "\nEnd of dump.\n";
}

} // namespace brisvane
