#include "CommandPath.h"

namespace kestrel {

std::string CommandPath(const std::string& path) {
    const bool quoted = path.size() >= 2 && path.front() == '"' && path.back() == '"';
    if (quoted || path.find_first_of(" \t") == std::string::npos) return path;
    return '"' + path + '"';
}

}  // namespace kestrel
