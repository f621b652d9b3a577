#pragma once

#include <windows.h>

#include <vector>

#include "DevEnablerFactory.h"
#include "HostPlatform.h"
#include "ServiceModule.h"
#include "SetupApiDeviceSet.h"

namespace kestrel {

// HostPlatform on Windows: COM, the service dispatcher and status, the
// thread's message queue, the event log, standard output and message boxes.
// One instance per process: the dispatcher's callbacks find it through a
// process-wide pointer.
class Win32HostPlatform : public HostPlatform {
public:
    Win32HostPlatform();
    ~Win32HostPlatform() override;

    // The module whose service entry and control handler the dispatcher calls.
    void Attach(ServiceModule& module);

    WinResult InitializeCom() override;
    void UninitializeCom() override;
    WinResult RegisterTypeLibrary(const std::string& modulePath, const std::string& helpDirectory) override;
    void UnregisterTypeLibrary(const std::string& modulePath) override;
    void InitializeSecurity(const std::vector<AccessRule>& rules) override;
    void FreeSecurity() override;
    void RegisterClassObjects(std::uint32_t classContext) override;
    void RevokeClassObjects() override;
    ThreadId CurrentThreadId() override;
    void PostQuit(ThreadId thread) override;
    void PumpMessages() override;
    bool RunServiceDispatcher(const std::string& serviceName) override;
    StatusHandle RegisterControlHandler(const std::string& serviceName) override;
    void ReportServiceStatus(StatusHandle handle, const ServiceStatus& status) override;
    void WriteEventLog(const std::string& serviceName, const std::string& text) override;
    void WriteStandardOutput(const std::string& line) override;
    void ShowNotice(const std::string& text, const std::string& caption) override;

private:
    ServiceModule* module_ = nullptr;
    SetupApiDeviceSet devices_;
    DevEnablerFactory* factory_ = nullptr;
    DWORD classCookie_ = 0;
    bool classRegistered_ = false;
    // The security descriptor and the parts it points to.
    SECURITY_DESCRIPTOR descriptor_;
    std::vector<BYTE> owner_;
    std::vector<BYTE> group_;
    std::vector<BYTE> accessList_;
};

}  // namespace kestrel
