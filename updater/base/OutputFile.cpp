#include "base/OutputFile.h"

namespace meru {

OutputFile::OutputFile(const std::string& path) : file_(std::fopen(path.c_str(), "wb")) {}

OutputFile::~OutputFile() { Close(); }

bool OutputFile::Write(const std::string& bytes) {
    if (file_ == nullptr) return false;
    if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size() || std::fflush(file_) != 0) {
        failed_ = true;
    }
    return !failed_;
}

bool OutputFile::Close() {
    if (file_ == nullptr) return false;
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    return closed && !failed_;
}

}  // namespace meru
