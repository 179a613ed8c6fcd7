#include "tests/support/Files.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

#include <cstring>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace brisvane::test {

TemporaryRoot::TemporaryRoot()
{
    std::string pattern = "/tmp/brisvane-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    m_path = pattern;
}

TemporaryRoot::~TemporaryRoot()
{
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

std::filesystem::path TemporaryRoot::makeDirectory(const std::string& name) const
{
    std::filesystem::create_directories(m_path / name);
    return m_path / name;
}

std::string readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

bool leaveStaleSocket(const std::filesystem::path& path)
{
    sockaddr_un address{};
    if (path.string().size() >= sizeof address.sun_path)
        return false;
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, path.c_str());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const bool bound =
        fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return bound;
}

void writeFile(const std::filesystem::path& path, const std::string& content, bool executable)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
    if (executable)
        std::filesystem::permissions(path, std::filesystem::perms::owner_all |
                                               std::filesystem::perms::group_read |
                                               std::filesystem::perms::group_exec);
}

} // namespace brisvane::test
