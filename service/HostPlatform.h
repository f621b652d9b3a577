#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ComAccessPolicy.h"
#include "WinResult.h"

namespace kestrel {

// Service states and controls, with the values of the Windows API.
constexpr std::uint32_t kServiceStopped = 1;
constexpr std::uint32_t kServiceStartPending = 2;
constexpr std::uint32_t kServiceStopPending = 3;
constexpr std::uint32_t kServiceRunning = 4;
constexpr std::uint32_t kServiceAcceptStop = 1;
constexpr std::uint32_t kControlStop = 1;
constexpr std::uint32_t kControlShutdown = 5;

// The platform's SERVICE_STATUS.
struct ServiceStatus {
    std::uint32_t serviceType = 0x10;  // own process
    std::uint32_t currentState = kServiceStopped;
    std::uint32_t controlsAccepted = kServiceAcceptStop;
    std::uint32_t win32ExitCode = 0;
    std::uint32_t serviceSpecificExitCode = 0;
    std::uint32_t checkPoint = 0;
    std::uint32_t waitHint = 0;
};

// Ownerless message boxes with an OK button.
class NoticePort {
public:
    virtual ~NoticePort() = default;
    virtual void ShowNotice(const std::string& text, const std::string& caption) = 0;
};

// What the service host asks of Windows beyond the registry and the
// Service Control Manager: COM, the thread's message queue, the service
// dispatcher and status reports, and its outputs.
class HostPlatform : public NoticePort {
public:
    using ThreadId = std::uint32_t;
    using StatusHandle = std::uintptr_t;  // 0 = none

    // COM for the calling thread (a single-threaded apartment).
    virtual WinResult InitializeCom() = 0;
    virtual void UninitializeCom() = 0;
    // Registers the type library embedded in the program (or the .tlb file
    // beside it) with helpDirectory as its help directory.
    virtual WinResult RegisterTypeLibrary(const std::string& modulePath,
                                          const std::string& helpDirectory) = 0;
    // Unregisters it where oleaut32 offers "UnRegisterTypeLib"; skipped otherwise.
    virtual void UnregisterTypeLibrary(const std::string& modulePath) = 0;

    // Process-wide COM security with a descriptor that grants access by the
    // rules, owned by the user and primary group of the thread's (or else
    // the process's) token.
    virtual void InitializeSecurity(const std::vector<AccessRule>& rules) = 0;
    virtual void FreeSecurity() = 0;
    // Registers the DevEnabler class object (multiple use) / revokes it.
    virtual void RegisterClassObjects(std::uint32_t classContext) = 0;
    virtual void RevokeClassObjects() = 0;

    virtual ThreadId CurrentThreadId() = 0;
    virtual void PostQuit(ThreadId thread) = 0;
    // Fetches and dispatches the thread's messages until the quit message.
    virtual void PumpMessages() = 0;

    // Hands the dispatch table to the Service Control Manager; returns when
    // the service has stopped, false at once when the program was not
    // started by it.
    virtual bool RunServiceDispatcher(const std::string& serviceName) = 0;
    virtual StatusHandle RegisterControlHandler(const std::string& serviceName) = 0;
    virtual void ReportServiceStatus(StatusHandle handle, const ServiceStatus& status) = 0;

    // One information event from the source named serviceName; nothing
    // when the source can't be registered.
    virtual void WriteEventLog(const std::string& serviceName, const std::string& text) = 0;
    virtual void WriteStandardOutput(const std::string& line) = 0;
};

}  // namespace kestrel
