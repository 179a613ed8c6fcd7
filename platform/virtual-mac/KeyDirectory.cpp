#include "KeyDirectory.h"

#include "smc/SMCKit.h"

#include <algorithm>

namespace brisvane {

std::uint32_t SmcKeyEntry::code() const
{
    return smcFourCC(name);
}

void KeyDirectory::add(SmcKeyEntry entry)
{
    auto same = [&](const SmcKeyEntry& e) { return e.name == entry.name; };
    if (auto it = std::find_if(m_entries.begin(), m_entries.end(), same); it != m_entries.end())
        *it = std::move(entry);
    else
        m_entries.push_back(std::move(entry));
}

void KeyDirectory::remove(const std::string& name)
{
    std::erase_if(m_entries, [&](const SmcKeyEntry& e) { return e.name == name; });
}

void KeyDirectory::finalize()
{
    auto isCount = [](const SmcKeyEntry& e) { return e.name == "#KEY"; };
    if (std::none_of(m_entries.begin(), m_entries.end(), isCount))
        m_entries.push_back({"#KEY", "ui32", 0x80, false, {}});
    std::sort(m_entries.begin(), m_entries.end(),
              [](const SmcKeyEntry& a, const SmcKeyEntry& b) { return a.code() < b.code(); });
    m_index.clear();
    for (std::size_t i = 0; i < m_entries.size(); ++i)
        m_index[m_entries[i].code()] = i;

    // #KEY is the directory size, big-endian, like every SMC integer.
    SmcKeyEntry& count = *find(std::string("#KEY"));
    const auto n = static_cast<std::uint32_t>(m_entries.size());
    count.type = "ui32";
    count.writable = false;
    count.bytes = {static_cast<std::uint8_t>(n >> 24), static_cast<std::uint8_t>(n >> 16),
                   static_cast<std::uint8_t>(n >> 8), static_cast<std::uint8_t>(n)};
}

SmcKeyEntry* KeyDirectory::find(std::uint32_t code)
{
    auto it = m_index.find(code);
    return it == m_index.end() ? nullptr : &m_entries[it->second];
}

const SmcKeyEntry* KeyDirectory::find(std::uint32_t code) const
{
    auto it = m_index.find(code);
    return it == m_index.end() ? nullptr : &m_entries[it->second];
}

SmcKeyEntry* KeyDirectory::find(const std::string& name)
{
    return name.size() == 4 ? find(smcFourCC(name)) : nullptr;
}

const SmcKeyEntry* KeyDirectory::find(const std::string& name) const
{
    return name.size() == 4 ? find(smcFourCC(name)) : nullptr;
}

} // namespace brisvane
