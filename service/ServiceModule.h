#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "HostPlatform.h"
#include "RegistryPort.h"
#include "ServerRegistration.h"
#include "ServiceManagerPort.h"

namespace kestrel {

// Counts what keeps a local server alive: live objects and server locks.
class ServerLockPort {
public:
    virtual ~ServerLockPort() = default;
    // One unit per live object.
    virtual long Lock() = 0;
    virtual long Unlock() = 0;
    // A client's lock request through the class factory.
    virtual void LockServer(bool lock) = 0;
};

// The process-wide service module: the command line, the choice between
// service and local-server mode, the service entry and control handler, the
// message loop that serves the DevEnabler class, and the lock count that
// ends a local server when its last client lets go.
class ServiceModule : public ServerLockPort {
public:
    ServiceModule(HostPlatform& platform, RegistryPort& registry, ServiceManagerPort& manager,
                  ModuleFiles module, std::string serviceName);

    // The whole program after start-up; returns the process exit code.
    std::int32_t Run(const std::string& commandLine);

    // Runs on the thread the Service Control Manager starts for the service.
    void ServiceEntry();
    // Runs on the thread that handed over the dispatch table.
    void HandleControl(std::uint32_t control);

    long Lock() override;
    // Reaching 0 outside service mode ends the message loop.
    long Unlock() override;
    // An unlock without a lock to give back is ignored: it would take the
    // unit of a live object and could end the server under its clients.
    void LockServer(bool lock) override;

    // printf-style, at most 255 characters: the event log in service mode,
    // standard output otherwise.
    void LogEvent(const char* format, ...) __attribute__((format(printf, 2, 3)));

    bool InServiceMode() const { return serviceMode_; }
    ServiceStatus Status();

private:
    std::int32_t StartRun();
    void RunMessageLoop();
    void ReportStatus(std::uint32_t state);

    HostPlatform& platform_;
    RegistryPort& registry_;
    ServiceManagerPort& manager_;
    const ModuleFiles module_;
    const std::string serviceName_;

    std::atomic<bool> serviceMode_{true};
    std::atomic<bool> stopRequested_{false};
    std::atomic<HostPlatform::ThreadId> loopThread_{0};
    std::atomic<long> lockCount_{0};
    std::atomic<long> serverLocks_{0};
    // The status is reported from both threads. A spin lock because the
    // Windows toolchain's C++ library has no std::mutex; it is held only
    // for a copy or a status report.
    class StatusLock {
    public:
        explicit StatusLock(std::atomic_flag& flag) : flag_(flag) {
            while (flag_.test_and_set(std::memory_order_acquire)) {
            }
        }
        ~StatusLock() { flag_.clear(std::memory_order_release); }

    private:
        std::atomic_flag& flag_;
    };
    std::atomic_flag statusBusy_ = ATOMIC_FLAG_INIT;
    ServiceStatus status_;
    HostPlatform::StatusHandle statusHandle_ = 0;
};

}  // namespace kestrel
