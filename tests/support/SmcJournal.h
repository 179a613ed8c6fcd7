#pragma once
// The virtual SMC's write journal in one text form, whichever way it is read: "F0Md=1",
// "F0Tg=2910", and " refused 0x86" after a write the SMC did not take.

#include <nlohmann/json.hpp>

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace brisvane::test {

std::string writeText(const std::string& key, const std::vector<std::uint8_t>& bytes, int result);

// One entry as `ctl writes` reports it.
struct SmcWrite {
    double t = 0;
    std::string key;
    std::string bytes; // hex
    int result = 0;

    bool accepted() const { return result == 0; }
    float asFloat() const; // a 4-byte "flt " key
    std::string text() const;
};

inline std::ostream& operator<<(std::ostream& out, const SmcWrite& write)
{
    return out << write.text();
}

// The entries of a `writes` reply, in journal order.
std::vector<SmcWrite> smcWrites(const nlohmann::json& reply);

// The texts, consecutive repeats collapsed: a takeover or a release as a short list. Target
// writes are left out unless asked for.
std::vector<std::string> writeOrder(const std::vector<SmcWrite>& writes, bool withTargets = false);

// What a release writes, in its order.
inline const std::vector<std::string> kReleaseOrder{"F0Md=0", "F1Md=0", "Ftst=0"};

} // namespace brisvane::test
