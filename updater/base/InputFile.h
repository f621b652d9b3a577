#pragma once

#include <cstddef>
#include <string>

namespace meru {

// Reads the whole file at `path` as bytes into `bytes`; false when it cannot
// be opened or holds more than `limit` bytes. Through the C library's stdio, one character at a time, for
// the same reason as OutputFile.
bool ReadWholeFile(const std::string& path, std::string& bytes, size_t limit);

}  // namespace meru
