#include "base/SharedAppend.h"

namespace meru {

namespace {

// Appends to the open, locked file.
SharedAppendResult AppendLocked(SharedFile& file, const std::string& header, const std::string& line) {
    SharedAppendResult result;
    uint64_t size = 0;
    if (!file.Size(size)) {
        result.reason = "its size cannot be read: " + file.LastError();
        return result;
    }
    if (!file.AppendAtEnd(size == 0 ? header + line : line)) {
        result.reason = "it cannot be written: " + file.LastError();
        return result;
    }
    result.written = true;
    return result;
}

}  // namespace

SharedAppendResult AppendShared(SharedFile& file, const std::string& path, const std::string& header,
                                const std::string& line) {
    std::string busy;
    for (int attempt = 1; attempt <= kSharedAppendTries; ++attempt) {
        if (attempt > 1) file.Pause(kSharedAppendPause);
        switch (file.Open(path)) {
        case SharedFile::OpenResult::kFailed: {
            SharedAppendResult result;
            result.reason = "it cannot be opened: " + file.LastError();
            return result;
        }
        case SharedFile::OpenResult::kBusy:
            busy = "it stayed in use (" + file.LastError() + ")";
            continue;
        case SharedFile::OpenResult::kOpened:
            break;
        }
        if (!file.Lock()) {
            busy = "it stayed in use (" + file.LastError() + ")";
            file.Close();
            continue;
        }
        const SharedAppendResult result = AppendLocked(file, header, line);
        file.Unlock();
        file.Close();
        return result;
    }
    SharedAppendResult result;
    result.reason = busy;
    return result;
}

}  // namespace meru
