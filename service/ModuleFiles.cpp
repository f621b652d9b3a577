#include "ModuleFiles.h"

namespace kestrel {

ModuleFiles DescribeModule(const std::string& fullPath, const std::string& shortPath) {
    ModuleFiles module;
    module.fullPath = fullPath;
    module.shortPath = shortPath.empty() ? fullPath : shortPath;
    const std::size_t slash = fullPath.find_last_of("\\/");
    if (slash != std::string::npos) {
        const bool atRoot = slash == 0 || fullPath[slash - 1] == ':';
        module.directory = fullPath.substr(0, atRoot ? slash + 1 : slash);
    }
    return module;
}

std::string TypeLibraryBeside(const std::string& modulePath) {
    std::string path = modulePath;
    const std::size_t dot = path.find_last_of(".\\/");
    if (dot != std::string::npos && path[dot] == '.') path.erase(dot);
    return path + ".tlb";
}

}  // namespace kestrel
