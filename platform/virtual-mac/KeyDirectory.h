#pragma once
// The virtual SMC's key directory: every key with its type, size, attribute byte, value and
// writability, kept in four-character-code order as a real SMC enumerates them.

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace brisvane {

struct SmcKeyEntry {
    std::string name; // four characters
    std::string type; // four characters, e.g. "flt "
    std::uint8_t attributes = 0;
    bool writable = false;
    std::vector<std::uint8_t> bytes; // exactly the key's data size, which may exceed 32

    std::uint32_t code() const;
    std::uint32_t size() const { return static_cast<std::uint32_t>(bytes.size()); }
};

class KeyDirectory {
public:
    // Replaces an entry of the same name; `#KEY` is maintained by the directory itself.
    void add(SmcKeyEntry entry);
    void remove(const std::string& name);
    // Sorts, indexes and refreshes `#KEY`; call after the last add or remove.
    void finalize();

    std::size_t size() const { return m_entries.size(); }
    const SmcKeyEntry& at(std::size_t index) const { return m_entries[index]; }
    // Values may change through this; names may not (the index would go stale).
    SmcKeyEntry& at(std::size_t index) { return m_entries[index]; }
    SmcKeyEntry* find(std::uint32_t code);
    const SmcKeyEntry* find(std::uint32_t code) const;
    SmcKeyEntry* find(const std::string& name);
    const SmcKeyEntry* find(const std::string& name) const;

private:
    std::vector<SmcKeyEntry> m_entries;
    std::unordered_map<std::uint32_t, std::size_t> m_index;
};

} // namespace brisvane
