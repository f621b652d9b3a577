#include "base/win32/Win32SharedFile.h"

namespace meru {

namespace {

// The lock covers every byte the file can have.
constexpr DWORD kWholeFileLow = 0xFFFFFFFFu;
constexpr DWORD kWholeFileHigh = 0x7FFFFFFFu;

}  // namespace

bool Win32SharedFile::Failed() {
    error_ = GetLastError();
    return false;
}

SharedFile::OpenResult Win32SharedFile::Open(const std::string& path) {
    Close();
    file_ = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                        OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file_ != INVALID_HANDLE_VALUE) return OpenResult::kOpened;
    Failed();
    // Another program has it open without sharing, or a writer on another
    // machine holds it for a moment.
    if (error_ == ERROR_SHARING_VIOLATION || error_ == ERROR_LOCK_VIOLATION) return OpenResult::kBusy;
    return OpenResult::kFailed;
}

bool Win32SharedFile::Lock() {
    if (!LockFile(file_, 0, 0, kWholeFileLow, kWholeFileHigh)) return Failed();
    locked_ = true;
    return true;
}

bool Win32SharedFile::Size(uint64_t& size) {
    DWORD high = 0;
    const DWORD low = GetFileSize(file_, &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return Failed();
    size = (static_cast<uint64_t>(high) << 32) | low;
    return true;
}

bool Win32SharedFile::AppendAtEnd(const std::string& bytes) {
    LONG high = 0;
    if (SetFilePointer(file_, 0, &high, FILE_END) == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) {
        return Failed();
    }
    DWORD written = 0;
    if (!WriteFile(file_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) return Failed();
    if (written != bytes.size()) {
        error_ = ERROR_HANDLE_DISK_FULL;
        return false;
    }
    return true;
}

void Win32SharedFile::Unlock() {
    if (locked_) UnlockFile(file_, 0, 0, kWholeFileLow, kWholeFileHigh);
    locked_ = false;
}

void Win32SharedFile::Close() {
    Unlock();
    if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
    file_ = INVALID_HANDLE_VALUE;
}

void Win32SharedFile::Pause(uint32_t milliseconds) { ::Sleep(milliseconds); }

std::string Win32SharedFile::LastError() {
    switch (error_) {
    case ERROR_SHARING_VIOLATION: return "in use by another program";
    case ERROR_LOCK_VIOLATION: return "locked by another writer";
    case ERROR_ACCESS_DENIED: return "access denied";
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return "the folder does not exist";
    case ERROR_HANDLE_DISK_FULL:
    case ERROR_DISK_FULL: return "the disk is full";
    default: return "system error " + std::to_string(error_);
    }
}

}  // namespace meru
