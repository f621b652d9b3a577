#pragma once

#include <windows.h>

#include <cstddef>

namespace meru::driver {

// A block of memory in the process that owns a window, for messages whose
// pointers Windows does not carry across processes (the list view's).
// Freed, and the process handle closed, on destruction.
class RemoteMemory {
public:
    // DriverFailure when the process cannot be opened, is not built for the
    // same processor word size as the driver (the structures would not
    // match), or refuses the allocation.
    RemoteMemory(HWND window, size_t size);
    ~RemoteMemory();
    RemoteMemory(const RemoteMemory&) = delete;
    RemoteMemory& operator=(const RemoteMemory&) = delete;

    // The block's address as the other process sees it.
    void* Address(size_t offset = 0) const { return static_cast<char*>(address_) + offset; }
    void Write(size_t offset, const void* data, size_t size);
    void Read(size_t offset, void* data, size_t size) const;

    // Leaves the block allocated when this object goes: a message that timed
    // out may still reach the window later and write into it.
    void KeepAfterUse() { keep_ = true; }

private:
    void CheckRange(size_t offset, size_t size) const;

    HANDLE process_ = nullptr;
    void* address_ = nullptr;
    size_t size_ = 0;
    bool keep_ = false;
};

}  // namespace meru::driver
