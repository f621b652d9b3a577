#include "RemoteMemory.h"

#include <string>

#include "DriverErrors.h"

namespace meru::driver {

namespace {

std::string LastErrorText(const char* what) {
    return std::string(what) + " (error " + std::to_string(GetLastError()) + ")";
}

bool RunsUnderWow64(HANDLE process) {
    BOOL wow64 = FALSE;
    return IsWow64Process(process, &wow64) && wow64;
}

}  // namespace

RemoteMemory::RemoteMemory(HWND window, size_t size) : size_(size) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE | PROCESS_QUERY_INFORMATION,
                           FALSE, processId);
    if (process_ == nullptr) throw DriverFailure(LastErrorText("cannot open the window's process"));
    if (RunsUnderWow64(process_) != RunsUnderWow64(GetCurrentProcess())) {
        CloseHandle(process_);
        throw DriverFailure(sizeof(void*) == 8
                                ? "the window belongs to a 32-bit process: use the 32-bit build of meru-driver"
                                : "the window belongs to a 64-bit process: use the 64-bit build of meru-driver");
    }
    address_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (address_ == nullptr) {
        const std::string message = LastErrorText("cannot allocate memory in the window's process");
        CloseHandle(process_);
        throw DriverFailure(message);
    }
}

RemoteMemory::~RemoteMemory() {
    if (!keep_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    CloseHandle(process_);
}

void RemoteMemory::CheckRange(size_t offset, size_t size) const {
    if (offset > size_ || size > size_ - offset) throw DriverFailure("access outside the remote block");
}

void RemoteMemory::Write(size_t offset, const void* data, size_t size) {
    CheckRange(offset, size);
    SIZE_T written = 0;
    if (!WriteProcessMemory(process_, Address(offset), data, size, &written) ||
        written != size) {
        throw DriverFailure(LastErrorText("cannot write to the window's process"));
    }
}

void RemoteMemory::Read(size_t offset, void* data, size_t size) const {
    CheckRange(offset, size);
    SIZE_T read = 0;
    if (!ReadProcessMemory(process_, Address(offset), data, size, &read) || read != size) {
        throw DriverFailure(LastErrorText("cannot read from the window's process"));
    }
}

}  // namespace meru::driver
