#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kestrel {

// Access rights and service settings, with the values of the Windows API.
constexpr std::uint32_t kScManagerAllAccess = 0xF003F;
constexpr std::uint32_t kServiceQueryConfig = 0x0001;
constexpr std::uint32_t kServiceStop = 0x0020;
constexpr std::uint32_t kDeleteAccess = 0x00010000;
constexpr std::uint32_t kServiceAllAccess = 0xF01FF;
constexpr std::uint32_t kServiceWin32OwnProcess = 0x10;
constexpr std::uint32_t kServiceAutoStart = 2;
constexpr std::uint32_t kServiceErrorNormal = 1;

// What a new service is created with.
struct ServiceConfig {
    std::string name;
    std::string displayName;
    std::uint32_t access = 0;
    std::uint32_t serviceType = 0;
    std::uint32_t startType = 0;
    std::uint32_t errorControl = 0;
    std::string binaryPath;                 // the program's full path, no arguments
    std::vector<std::string> dependencies;  // service names, handed over as a double-NUL list
    // No load-order group, no tag; the local system account, no password.
};

// The Service Control Manager. Handles are opaque; 0 is "none".
class ServiceManagerPort {
public:
    using Handle = std::uintptr_t;

    virtual ~ServiceManagerPort() = default;
    virtual Handle OpenManager(std::uint32_t access) = 0;
    virtual Handle OpenServiceByName(Handle manager, const std::string& name, std::uint32_t access) = 0;
    virtual Handle CreateServiceFrom(Handle manager, const ServiceConfig& config) = 0;
    // Sends the stop control; the answer is not needed.
    virtual void SendStop(Handle service) = 0;
    virtual bool MarkForDeletion(Handle service) = 0;
    virtual void CloseHandle(Handle handle) = 0;
};

}  // namespace kestrel
