#pragma once
// Reads XML property lists, as launchd job definitions are written. Outside input: every
// malformed document fails with PropertyList::Error, never a crash, and nesting is bounded.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace brisvane {

struct PlistEntry;

struct PlistValue {
    enum class Kind { string, integer, real, boolean, data, date, array, dict };
    Kind kind = Kind::string;
    std::string text; // string, data (base64 as written) and date
    std::int64_t integer = 0;
    double real = 0;
    bool boolean = false;
    std::vector<PlistValue> items;   // array
    std::vector<PlistEntry> entries; // dict, in document order

    // The dict entry with that key (the last one if a key repeats), or null.
    const PlistValue* find(std::string_view key) const;
};

struct PlistEntry {
    std::string key;
    PlistValue value;
};

class PropertyList {
public:
    class Error : public std::runtime_error {
    public:
        using std::runtime_error::runtime_error;
    };

    static constexpr int kMaxDepth = 64;

    static PlistValue parse(std::string_view document);
    static PlistValue parseFile(const std::string& path);
};

} // namespace brisvane
