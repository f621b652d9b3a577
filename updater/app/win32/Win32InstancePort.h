#pragma once

#include <windows.h>

#include "app/SingleInstance.h"

namespace meru {

// The start-up mutex and the running copy's window, through the Win32 API.
// The mutex handle stays open for the life of the object (the process: a
// copy that runs the window owns the mutex until it ends).
class Win32InstancePort : public InstancePort {
public:
    Win32InstancePort() = default;
    ~Win32InstancePort() override;
    Win32InstancePort(const Win32InstancePort&) = delete;
    Win32InstancePort& operator=(const Win32InstancePort&) = delete;

    MutexState CreateStartupMutex() override;
    bool AcquireStartupMutex(uint32_t milliseconds) override;
    bool FindRunningWindow() override;
    void BringRunningWindowToFront() override;
    void SendToRunningWindow(const HandOverMessage& message) override;

private:
    HANDLE mutex_ = nullptr;
    HWND runningWindow_ = nullptr;
};

}  // namespace meru
