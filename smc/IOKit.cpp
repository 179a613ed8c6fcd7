// The IOKit stand-in off Apple: services are a virtual Mac's user-client sockets, or clients a
// test registered in this process. Handles index one table guarded by one mutex.
#include "IOKit.h"

#include "SystemRoot.h"

#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <map>
#include <mutex>
#include <variant>

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

struct __IOMatchingDictionary {
    std::string className;
};

extern "C" const task_port_t mach_task_self_ = 1;

namespace brisvane::iokit {
namespace {

constexpr std::size_t kRecordSize = 80;
constexpr auto kCallTimeout = std::chrono::seconds(1);

// One connection to a user-client socket. Calls on it are serialised: the stream carries one
// request and one answer at a time. A stream that timed out or broke is closed, and the next call
// opens a fresh one to the same socket, so that a stall costs only the calls made during it.
struct SocketConnection {
    std::mutex mutex;
    std::string path;
    int fd = -1;
    ~SocketConnection()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

struct Service {
    std::string className;
    std::shared_ptr<UserClient> inProcess; // null for a socket service
};

using Connection = std::variant<std::shared_ptr<UserClient>, std::shared_ptr<SocketConnection>>;

struct Registry {
    std::mutex mutex;
    std::map<std::string, std::shared_ptr<UserClient>> inProcess;
    std::map<io_object_t, Service> services;
    std::map<io_connect_t, Connection> connections;
    io_object_t nextHandle = 0x1000;
};

Registry& registry()
{
    static Registry* instance = new Registry; // never destroyed: atexit handlers may still call in
    return *instance;
}

std::string socketPath(const std::string& className)
{
    return userClientSocketDirectory() + "/" + className;
}

bool isSocket(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode);
}

// Retries EINTR in one place; returns the poll result or -1 with errno set.
int pollUntil(int fd, short events, std::chrono::steady_clock::time_point deadline)
{
    for (;;) {
        auto remaining = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (remaining.count() < 0)
            return 0;
        pollfd p{fd, events, 0};
        int rc = ::poll(&p, 1, static_cast<int>(remaining.count()));
        if (rc < 0 && errno == EINTR)
            continue;
        return rc;
    }
}

enum class IoResult { done, broken, timedOut };

IoResult sendAll(int fd, const std::uint8_t* data, std::size_t size,
                 std::chrono::steady_clock::time_point deadline)
{
    while (size > 0) {
        int ready = pollUntil(fd, POLLOUT, deadline);
        if (ready == 0)
            return IoResult::timedOut;
        if (ready < 0)
            return IoResult::broken;
        ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n <= 0)
            return IoResult::broken;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return IoResult::done;
}

IoResult receiveAll(int fd, std::uint8_t* data, std::size_t size,
                    std::chrono::steady_clock::time_point deadline)
{
    while (size > 0) {
        int ready = pollUntil(fd, POLLIN, deadline);
        if (ready == 0)
            return IoResult::timedOut;
        if (ready < 0)
            return IoResult::broken;
        ssize_t n = ::recv(fd, data, size, MSG_DONTWAIT);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n <= 0)
            return IoResult::broken;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return IoResult::done;
}

// Connects `connection.fd` to its socket; a refused or impossible connect leaves it at -1.
kern_return_t connectSocket(SocketConnection& connection)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (connection.path.size() >= sizeof(address.sun_path))
        return kIOReturnNoDevice;
    std::memcpy(address.sun_path, connection.path.c_str(), connection.path.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return kIOReturnNoDevice;
    int rc;
    do {
        rc = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address));
    } while (rc < 0 && errno == EINTR);
    if (rc < 0) {
        ::close(fd);
        return kIOReturnNotPermitted;
    }
    connection.fd = fd;
    return kIOReturnSuccess;
}

kern_return_t kernCode(IoResult result)
{
    return result == IoResult::timedOut ? kIOReturnTimeout : kIOReturnNotResponding;
}

kern_return_t callOverSocket(SocketConnection& connection, std::uint32_t selector,
                             const void* input, void* output)
{
    std::lock_guard lock(connection.mutex);
    if (connection.fd < 0 && connectSocket(connection) != kIOReturnSuccess)
        return kIOReturnNotResponding;

    std::array<std::uint8_t, 4 + kRecordSize> request{};
    for (int i = 0; i < 4; ++i)
        request[i] = static_cast<std::uint8_t>(selector >> (8 * i));
    std::memcpy(request.data() + 4, input, kRecordSize);

    const auto deadline = std::chrono::steady_clock::now() + kCallTimeout;
    std::array<std::uint8_t, 4 + kRecordSize> answer{};
    IoResult result = sendAll(connection.fd, request.data(), request.size(), deadline);
    if (result == IoResult::done)
        result = receiveAll(connection.fd, answer.data(), answer.size(), deadline);
    if (result != IoResult::done) {
        // A late answer would be taken for the next call's: the stream cannot be trusted again.
        ::close(connection.fd);
        connection.fd = -1;
        return kernCode(result);
    }

    std::uint32_t code = 0;
    for (int i = 0; i < 4; ++i)
        code |= static_cast<std::uint32_t>(answer[i]) << (8 * i);
    std::memcpy(output, answer.data() + 4, kRecordSize);
    return static_cast<kern_return_t>(code);
}

} // namespace

void registerService(const std::string& className, std::shared_ptr<UserClient> client)
{
    auto& r = registry();
    std::lock_guard lock(r.mutex);
    r.inProcess[className] = std::move(client);
}

void unregisterService(const std::string& className, const UserClient* client)
{
    auto& r = registry();
    std::lock_guard lock(r.mutex);
    if (auto it = r.inProcess.find(className);
        it != r.inProcess.end() && it->second.get() == client)
        r.inProcess.erase(it);
}

std::string userClientSocketDirectory()
{
    return systemPath("/var/run/iokit");
}

} // namespace brisvane::iokit

using namespace brisvane::iokit;

extern "C" {

CFMutableDictionaryRef IOServiceMatching(const char* name)
{
    if (name == nullptr)
        return nullptr;
    return new __IOMatchingDictionary{name};
}

io_service_t IOServiceGetMatchingService(mach_port_t, CFDictionaryRef matching)
{
    if (matching == nullptr)
        return IO_OBJECT_NULL;
    std::unique_ptr<const __IOMatchingDictionary> consumed(matching);
    auto& r = registry();
    std::lock_guard lock(r.mutex);
    Service service{consumed->className, nullptr};
    if (auto it = r.inProcess.find(service.className); it != r.inProcess.end())
        service.inProcess = it->second;
    else if (!isSocket(socketPath(service.className)))
        return IO_OBJECT_NULL;
    io_object_t handle = r.nextHandle++;
    r.services.emplace(handle, std::move(service));
    return handle;
}

kern_return_t IOServiceOpen(io_service_t serviceHandle, task_port_t, std::uint32_t,
                            io_connect_t* connect)
{
    if (connect == nullptr)
        return kIOReturnBadArgument;
    *connect = IO_OBJECT_NULL;
    auto& r = registry();
    Service service;
    {
        std::lock_guard lock(r.mutex);
        auto it = r.services.find(serviceHandle);
        if (it == r.services.end())
            return kIOReturnBadArgument;
        service = it->second;
    }

    Connection connection;
    if (service.inProcess) {
        connection = service.inProcess;
    } else {
        auto socketConnection = std::make_shared<SocketConnection>();
        socketConnection->path = socketPath(service.className);
        if (const kern_return_t code = connectSocket(*socketConnection); code != kIOReturnSuccess)
            return code;
        connection = std::move(socketConnection);
    }

    std::lock_guard lock(r.mutex);
    io_connect_t handle = r.nextHandle++;
    r.connections.emplace(handle, std::move(connection));
    *connect = handle;
    return kIOReturnSuccess;
}

kern_return_t IOObjectRelease(io_object_t object)
{
    auto& r = registry();
    std::lock_guard lock(r.mutex);
    return r.services.erase(object) == 1 ? kIOReturnSuccess : kIOReturnBadArgument;
}

kern_return_t IOConnectCallStructMethod(io_connect_t connectionHandle, std::uint32_t selector,
                                        const void* inputStruct, std::size_t inputStructCnt,
                                        void* outputStruct, std::size_t* outputStructCnt)
{
    Connection connection;
    {
        auto& r = registry();
        std::lock_guard lock(r.mutex);
        auto it = r.connections.find(connectionHandle);
        if (it == r.connections.end())
            return kIOReturnBadArgument;
        connection = it->second;
    }
    if (auto* client = std::get_if<std::shared_ptr<UserClient>>(&connection))
        return (*client)->callStructMethod(selector, inputStruct, inputStructCnt, outputStruct,
                                           outputStructCnt);

    // The socket protocol carries exactly one record each way.
    if (inputStruct == nullptr || outputStruct == nullptr || outputStructCnt == nullptr ||
        inputStructCnt != kRecordSize || *outputStructCnt < kRecordSize)
        return kIOReturnBadArgument;
    *outputStructCnt = kRecordSize;
    return callOverSocket(*std::get<std::shared_ptr<SocketConnection>>(connection), selector,
                          inputStruct, outputStruct);
}

kern_return_t IOServiceClose(io_connect_t connect)
{
    auto& r = registry();
    std::lock_guard lock(r.mutex);
    return r.connections.erase(connect) == 1 ? kIOReturnSuccess : kIOReturnBadArgument;
}

} // extern "C"
