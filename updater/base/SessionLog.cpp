#include "SessionLog.h"

#include "TextFormat.h"

namespace meru {

SessionLog::SessionLog(std::string path) : path_(std::move(path)) {}

SessionLog::~SessionLog() { Close(); }

void SessionLog::Close() {
    if (file_ != nullptr) {
        if (ownsFile_) {
            std::fclose(file_);
        } else {
            std::fflush(file_);
        }
    }
    file_ = nullptr;
    ownsFile_ = true;
}

void SessionLog::SetPath(std::string path) {
    Close();
    path_ = std::move(path);
    failed_ = false;
}

void SessionLog::UseStream(FILE* stream) {
    Close();
    file_ = stream;
    ownsFile_ = false;
    failed_ = false;
}

int SessionLog::Write(const char* format, va_list args) {
    if (failed_) return 0;
    if (file_ == nullptr) {
        file_ = std::fopen(path_.c_str(), "a");
        ownsFile_ = true;
        if (file_ == nullptr) {
            failed_ = true;
            return 0;
        }
    }
    // Each line reaches the file at once: a technician may read the log while
    // the window is open, and a run that ends abruptly keeps all it said.
    const std::string text = velox::FormatStringV(format, args);
    const size_t written = std::fwrite(text.data(), 1, text.size(), file_);
    std::fflush(file_);
    return static_cast<int>(written);
}

void SessionLog::Flush() {
    if (file_ != nullptr) std::fflush(file_);
}

SessionLog& TheSessionLog() {
    static SessionLog log;
    return log;
}

int LogPrintf(const char* format, ...) {
    if (!TheSessionLog().Enabled()) return 0;
    va_list args;
    va_start(args, format);
    int written = TheSessionLog().Write(format, args);
    va_end(args);
    return written;
}

void FlushAllOutput() { std::fflush(nullptr); }

}  // namespace meru
