#pragma once

#include <cstdio>
#include <string>

namespace meru {

// A file the updater writes (dumps, PDA backups), created or emptied when
// opened and written in binary. It goes through the C library's stdio
// rather than an iostream: the file streams of the C++ library bring along
// run-time functions that the oldest supported Windows do not have.
class OutputFile {
public:
    explicit OutputFile(const std::string& path);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    bool IsOpen() const { return file_ != nullptr; }
    // Writes the bytes and flushes them; false when the file is not open or
    // any write so far was incomplete (a full disk).
    bool Write(const std::string& bytes);
    // Closes the file; false when it was not open or anything written was lost.
    bool Close();

private:
    FILE* file_;
    bool failed_ = false;
};

}  // namespace meru
