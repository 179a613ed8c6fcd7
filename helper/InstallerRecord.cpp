// Runs as root: reads the installer's record; anything a user other than root could have
// written is not trusted.
#include "InstallerRecord.h"

#include <cerrno>
#include <charconv>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace brisvane {

std::optional<uid_t> InstallerRecord::read(const std::string& path, std::string* problem)
{
    auto refuse = [&](std::string why) -> std::optional<uid_t> {
        if (problem)
            *problem = std::move(why);
        return std::nullopt;
    };
    // O_NOFOLLOW: a link planted in place of the record is not followed.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0)
        return refuse(path + ": " + std::strerror(errno));
    struct stat info {};
    char text[32];
    ssize_t size = -1;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode))
        size = ::read(fd, text, sizeof text);
    ::close(fd);
    if (size < 0)
        return refuse(path + " is not a readable file");
    if (size == static_cast<ssize_t>(sizeof text))
        return refuse(path + " does not hold a uid");
    if (info.st_uid != 0 && info.st_uid != ::geteuid())
        return refuse(path + " is not owned by root");
    if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        return refuse(path + " can be written by other users");

    std::string_view digits(text, static_cast<std::size_t>(size));
    while (!digits.empty() && (digits.back() == '\n' || digits.back() == ' '))
        digits.remove_suffix(1);
    unsigned long uid = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), uid);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() ||
        uid > static_cast<uid_t>(-2))
        return refuse(path + " does not hold a uid");
    return static_cast<uid_t>(uid);
}

bool InstallerRecord::mayEndDaemon(uid_t peer, const std::string& path)
{
    if (peer == 0 || peer == ::geteuid())
        return true;
    const std::optional<uid_t> installer = read(path);
    return installer && *installer == peer;
}

} // namespace brisvane
