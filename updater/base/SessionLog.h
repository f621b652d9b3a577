#pragma once

#include <cstdarg>
#include <cstdio>
#include <string>

namespace meru {

// The append-only session log. The file is opened at the first write and
// stays open for the life of the process; a failed open is not retried.
class SessionLog {
public:
    static constexpr const char* kDefaultPath = "c:\\flash.log";

    explicit SessionLog(std::string path = kDefaultPath);
    ~SessionLog();
    SessionLog(const SessionLog&) = delete;
    SessionLog& operator=(const SessionLog&) = delete;

    // Closes the current file (if any) and writes to `path` from now on;
    // also clears the failed flag.
    void SetPath(std::string path);
    // Writes to an already open stream (the inspector's stdout); the log
    // does not close it.
    void UseStream(FILE* stream);

    // printf-style write; the number of characters written, 0 when nothing was.
    int Write(const char* format, va_list args);
    void Flush();
    // Off until the program (or the command line's "-log"/"-nolog") switches it.
    void SetEnabled(bool enabled) { enabled_ = enabled; }
    bool Enabled() const { return enabled_; }
    bool Failed() const { return failed_; }
    const std::string& Path() const { return path_; }

private:
    void Close();

    std::string path_;
    FILE* file_ = nullptr;
    bool ownsFile_ = true;
    bool enabled_ = false;
    bool failed_ = false;
};

SessionLog& TheSessionLog();

// The one call every part of the updater logs through. Writes nothing while
// the log is disabled or after the file failed to open.
int LogPrintf(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// Flushes every open output stream, the session log among them.
void FlushAllOutput();

}  // namespace meru
