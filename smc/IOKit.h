#pragma once
// The IOKit calls through which SMCKit reaches the SMC user client. On a Mac these are the real
// calls; elsewhere they reach a virtual Mac's user-client socket, or a service that a test
// registered in-process. Signatures and return codes follow IOKit's.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#if defined(__APPLE__)
#include <IOKit/IOKitLib.h>
#else

using kern_return_t = std::int32_t;
using mach_port_t = std::uint32_t;
using task_port_t = mach_port_t;
using io_object_t = mach_port_t;
using io_service_t = io_object_t;
using io_connect_t = io_object_t;

// Stands in for the matching dictionary that IOServiceMatching creates: it names a class.
struct __IOMatchingDictionary;
using CFMutableDictionaryRef = __IOMatchingDictionary*;
using CFDictionaryRef = const __IOMatchingDictionary*;

inline constexpr kern_return_t KERN_SUCCESS = 0;
inline constexpr kern_return_t kIOReturnSuccess = 0;
inline constexpr kern_return_t kIOReturnError = static_cast<kern_return_t>(0xE00002BC);
inline constexpr kern_return_t kIOReturnNoDevice = static_cast<kern_return_t>(0xE00002C0);
inline constexpr kern_return_t kIOReturnBadArgument = static_cast<kern_return_t>(0xE00002C2);
inline constexpr kern_return_t kIOReturnTimeout = static_cast<kern_return_t>(0xE00002D6);
inline constexpr kern_return_t kIOReturnNotPermitted = static_cast<kern_return_t>(0xE00002E2);
inline constexpr kern_return_t kIOReturnNotResponding = static_cast<kern_return_t>(0xE00002ED);
inline constexpr mach_port_t kIOMainPortDefault = 0;
inline constexpr io_object_t IO_OBJECT_NULL = 0;

extern "C" {
extern const task_port_t mach_task_self_;

CFMutableDictionaryRef IOServiceMatching(const char* name);
// Consumes one reference to `matching`, as IOKit does.
io_service_t IOServiceGetMatchingService(mach_port_t mainPort, CFDictionaryRef matching);
kern_return_t IOServiceOpen(io_service_t service, task_port_t owningTask, std::uint32_t type,
                            io_connect_t* connect);
kern_return_t IOObjectRelease(io_object_t object);
kern_return_t IOConnectCallStructMethod(io_connect_t connection, std::uint32_t selector,
                                        const void* inputStruct, std::size_t inputStructCnt,
                                        void* outputStruct, std::size_t* outputStructCnt);
kern_return_t IOServiceClose(io_connect_t connect);
}

namespace brisvane::iokit {

// A user client served inside this process. Tests register one to run SMCKit against a
// virtual SMC without a socket; it may be called from several threads at once.
class UserClient {
public:
    virtual ~UserClient() = default;
    virtual kern_return_t callStructMethod(std::uint32_t selector, const void* input,
                                           std::size_t inputSize, void* output,
                                           std::size_t* outputSize) = 0;
};

// While registered, the class name matches this client before any socket of a virtual Mac.
void registerService(const std::string& className, std::shared_ptr<UserClient> client);
// Removes the class only while `client` is the one registered under it, so that ending one
// registration never takes away a later one's.
void unregisterService(const std::string& className, const UserClient* client);

// Directory of a virtual Mac's user-client sockets: <system root>/var/run/iokit.
std::string userClientSocketDirectory();

} // namespace brisvane::iokit

#endif
