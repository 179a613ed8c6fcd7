#include "tests/support/Environment.h"

#include <cstdlib>

#include <sys/stat.h>

namespace brisvane::test {

ScopedEnv::ScopedEnv(std::string name, const std::optional<std::string>& value)
    : m_name(std::move(name))
{
    if (const char* old = std::getenv(m_name.c_str()))
        m_old = old;
    if (value)
        ::setenv(m_name.c_str(), value->c_str(), 1);
    else
        ::unsetenv(m_name.c_str());
}

ScopedEnv::~ScopedEnv()
{
    if (m_old)
        ::setenv(m_name.c_str(), m_old->c_str(), 1);
    else
        ::unsetenv(m_name.c_str());
}

ScopedEnvironment::ScopedEnvironment(const std::map<std::string, std::string>& values)
{
    for (const auto& [name, value] : values)
        set(name, value);
}

ScopedEnvironment::~ScopedEnvironment()
{
    while (!m_guards.empty())
        m_guards.pop_back();
}

void ScopedEnvironment::set(const std::string& name, const std::optional<std::string>& value)
{
    m_guards.push_back(std::make_unique<ScopedEnv>(name, value));
}

std::map<std::string, std::string> userFolders(const std::filesystem::path& root)
{
    std::map<std::string, std::string> folders;
    for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR"}) {
        const auto folder = root / name;
        std::filesystem::create_directories(folder);
        folders[name] = folder.string();
    }
    ::chmod(folders["XDG_RUNTIME_DIR"].c_str(), 0700);
    return folders;
}

std::string systemBusAddress(const std::filesystem::path& root)
{
    return "unix:path=" + (root / "var/run/dbus/system_bus_socket").string();
}

} // namespace brisvane::test
