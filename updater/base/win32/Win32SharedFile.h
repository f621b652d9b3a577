#pragma once

#include <windows.h>

#include "base/SharedAppend.h"

namespace meru {

// A shared file through the file API: CreateFile with read and write
// sharing, LockFile over the whole file (which also holds between machines
// on a network share), WriteFile at the end.
class Win32SharedFile : public SharedFile {
public:
    Win32SharedFile() = default;
    ~Win32SharedFile() override { Close(); }
    Win32SharedFile(const Win32SharedFile&) = delete;
    Win32SharedFile& operator=(const Win32SharedFile&) = delete;

    OpenResult Open(const std::string& path) override;
    bool Lock() override;
    bool Size(uint64_t& size) override;
    bool AppendAtEnd(const std::string& bytes) override;
    void Unlock() override;
    void Close() override;
    void Pause(uint32_t milliseconds) override;
    std::string LastError() override;

private:
    bool Failed();

    HANDLE file_ = INVALID_HANDLE_VALUE;
    bool locked_ = false;
    DWORD error_ = 0;
};

}  // namespace meru
