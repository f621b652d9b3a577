#pragma once

#include <string>

namespace kestrel {

// Where the program lies.
struct ModuleFiles {
    std::string fullPath;   // at most 260 characters
    std::string shortPath;  // the 8.3 form written to LocalServer32 (quoted if it has blanks)
    std::string directory;  // help directory of the type library
};

// The program's files from its full path and its short form ("" when the
// system gave none: the full path stands in). The directory is the full
// path's folder without its closing separator, except at a drive's root:
// "C:" alone would name the drive's current folder, not its root.
ModuleFiles DescribeModule(const std::string& fullPath, const std::string& shortPath);

// The type library file beside the program: the same name with the
// extension ".tlb" in place of the program's own.
std::string TypeLibraryBeside(const std::string& modulePath);

}  // namespace kestrel
