#include "ServiceModule.h"

#include <cstdarg>
#include <cstdio>
#include <utility>

#include "ComAccessPolicy.h"
#include "CommandLineScan.h"
#include "RegistrationTables.h"
#include "ServiceInstaller.h"
#include "TextFormat.h"

namespace kestrel {

namespace {
constexpr std::size_t kLocalServiceBufferBytes = 260;
}  // namespace

ServiceModule::ServiceModule(HostPlatform& platform, RegistryPort& registry,
                             ServiceManagerPort& manager, ModuleFiles module, std::string serviceName)
    : platform_(platform),
      registry_(registry),
      manager_(manager),
      module_(std::move(module)),
      serviceName_(std::move(serviceName)) {}

std::int32_t ServiceModule::Run(const std::string& commandLine) {
    ServiceInstaller installer(manager_, platform_, serviceName_, module_.fullPath);
    switch (ScanCommandLine(commandLine)) {
        case HostCommand::UnregServer:
            return UnregisterServer(module_, platform_, registry_, installer);
        case HostCommand::RegServer:
            return RegisterServer(false, module_, platform_, registry_, installer);
        case HostCommand::Service:
            return RegisterServer(true, module_, platform_, registry_, installer);
        case HostCommand::Run:
            break;
    }
    return StartRun();
}

std::int32_t ServiceModule::StartRun() {
    // Without its AppID entries the program has not been registered and doesn't run.
    const WinResult result = OpenAppIdKey(registry_, false);
    if (result != kErrorSuccess) return result;

    std::string localService;
    serviceMode_ = registry_.QueryString(AppIdKeyPath(), "LocalService", kLocalServiceBufferBytes,
                                         localService) == kErrorSuccess;
    if (serviceMode_ && !platform_.RunServiceDispatcher(serviceName_)) serviceMode_ = false;
    if (!serviceMode_) RunMessageLoop();
    return static_cast<std::int32_t>(Status().win32ExitCode);
}

void ServiceModule::ServiceEntry() {
    {
        StatusLock guard(statusBusy_);
        status_.currentState = kServiceStartPending;
    }
    const HostPlatform::StatusHandle handle = platform_.RegisterControlHandler(serviceName_);
    if (handle == 0) {
        LogEvent("Handler not installed");
        return;
    }
    {
        StatusLock guard(statusBusy_);
        statusHandle_ = handle;
    }
    ReportStatus(kServiceStartPending);
    {
        StatusLock guard(statusBusy_);
        status_.win32ExitCode = 0;
        status_.checkPoint = 0;
        status_.waitHint = 0;
    }
    RunMessageLoop();
    ReportStatus(kServiceStopped);
    LogEvent("Service stopped");
}

void ServiceModule::HandleControl(std::uint32_t control) {
    if (control == kControlStop) {
        ReportStatus(kServiceStopPending);
        stopRequested_ = true;  // seen by a loop that has not started to pump yet
        platform_.PostQuit(loopThread_);
    } else if (control > kControlShutdown || control == 0) {
        LogEvent("Bad service request");
    }
    // pause, continue, interrogate and shutdown need nothing
}

void ServiceModule::RunMessageLoop() {
    loopThread_ = platform_.CurrentThreadId();
    platform_.InitializeCom();
    platform_.InitializeSecurity(ComAccessRules());
    platform_.RegisterClassObjects(ClassObjectContext());
    LogEvent("Service started");
    if (serviceMode_) ReportStatus(kServiceRunning);

    // The queue exists now (COM made it), so a stop from here on reaches it.
    if (!stopRequested_) platform_.PumpMessages();

    platform_.RevokeClassObjects();
    platform_.UninitializeCom();
    platform_.FreeSecurity();
}

long ServiceModule::Lock() { return ++lockCount_; }

long ServiceModule::Unlock() {
    const long count = --lockCount_;
    if (count == 0 && !serviceMode_) platform_.PostQuit(loopThread_);
    return count;
}

void ServiceModule::LockServer(bool lock) {
    if (lock) {
        ++serverLocks_;
        Lock();
        return;
    }
    long held = serverLocks_;
    while (held > 0 && !serverLocks_.compare_exchange_weak(held, held - 1)) {
    }
    if (held > 0) Unlock();
}

void ServiceModule::LogEvent(const char* format, ...) {
    char text[256];
    va_list args;
    va_start(args, format);
    velox::FormatTextV(text, sizeof text, format, args);
    va_end(args);
    if (serviceMode_) {
        platform_.WriteEventLog(serviceName_, text);
    } else {
        platform_.WriteStandardOutput(text);
    }
}

ServiceStatus ServiceModule::Status() {
    StatusLock guard(statusBusy_);
    return status_;
}

void ServiceModule::ReportStatus(std::uint32_t state) {
    StatusLock guard(statusBusy_);
    status_.currentState = state;
    platform_.ReportServiceStatus(statusHandle_, status_);
}

}  // namespace kestrel
