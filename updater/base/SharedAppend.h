#pragma once

#include <cstdint>
#include <string>

namespace meru {

// A file that many machines append to at once (a result file on a share),
// as the operating system offers it: opened shared, locked whole by one
// writer at a time, written at its end.
class SharedFile {
public:
    enum class OpenResult { kOpened, kBusy, kFailed };

    virtual ~SharedFile() = default;
    // Opens the file for reading and writing, creating it when it is not
    // there, so that others may open it too. kBusy: another writer holds
    // it in a way that a later try may not meet.
    virtual OpenResult Open(const std::string& path) = 0;
    // Locks the whole file for this writer; false while another holds it.
    virtual bool Lock() = 0;
    // The file's size in bytes; false when it cannot be told.
    virtual bool Size(uint64_t& size) = 0;
    // Writes the bytes at the file's end; false unless all were written.
    virtual bool AppendAtEnd(const std::string& bytes) = 0;
    virtual void Unlock() = 0;
    virtual void Close() = 0;
    // Waits before the next try.
    virtual void Pause(uint32_t milliseconds) = 0;
    // What the system said about the last failure, as text.
    virtual std::string LastError() = 0;
};

// How many tries an append makes while the file is busy, and the pause
// between two: about five seconds in all.
constexpr int kSharedAppendTries = 20;
constexpr uint32_t kSharedAppendPause = 250;

struct SharedAppendResult {
    bool written = false;
    std::string reason;  // why not, when not written
};

// Appends `line` to the file, preceded by `header` when the file is new
// (empty): open, lock, append, unlock, close. A busy file is tried again,
// at most kSharedAppendTries times; a file that cannot be opened or
// written is not.
SharedAppendResult AppendShared(SharedFile& file, const std::string& path, const std::string& header,
                                const std::string& line);

}  // namespace meru
