#include "base/InputFile.h"

#include <cstdio>

namespace meru {

bool ReadWholeFile(const std::string& path, std::string& bytes, size_t limit) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return false;
    bytes.clear();
    int c;
    while (bytes.size() <= limit && (c = std::fgetc(file)) != EOF) bytes += static_cast<char>(c);
    std::fclose(file);
    return bytes.size() <= limit;
}

}  // namespace meru
