#include "Win32InstancePort.h"

#include "app/Version.h"

namespace meru {

namespace {

// Plain name: the Windows 95 family knows no "Local\" namespace.
const char kStartupMutexName[] = "MERU_VELOX_Station_Update_Startup";

}  // namespace

Win32InstancePort::~Win32InstancePort() {
    if (mutex_ != nullptr) CloseHandle(mutex_);
}

InstancePort::MutexState Win32InstancePort::CreateStartupMutex() {
    mutex_ = CreateMutexA(nullptr, TRUE, kStartupMutexName);
    if (mutex_ == nullptr) return MutexState::kUnavailable;
    // An existing mutex is opened without taking ownership.
    return GetLastError() == ERROR_ALREADY_EXISTS ? MutexState::kHeldElsewhere : MutexState::kOwned;
}

bool Win32InstancePort::AcquireStartupMutex(uint32_t milliseconds) {
    if (mutex_ == nullptr) return false;
    const DWORD result = WaitForSingleObject(mutex_, milliseconds);
    // An abandoned mutex: its owner ended without releasing it, which is how
    // every copy lets go of it.
    return result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
}

bool Win32InstancePort::FindRunningWindow() {
    runningWindow_ = FindWindowA(nullptr, MERU_WINDOW_TITLE);
    return runningWindow_ != nullptr;
}

void Win32InstancePort::BringRunningWindowToFront() { SetForegroundWindow(runningWindow_); }

void Win32InstancePort::SendToRunningWindow(const HandOverMessage& message) {
    COPYDATASTRUCT record = {};
    record.dwData = static_cast<ULONG_PTR>(message.dataWord);
    record.cbData = message.byteCount;
    record.lpData = const_cast<char*>(message.data);
    SendMessageA(runningWindow_, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&record));
}

}  // namespace meru
