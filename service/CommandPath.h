#pragma once

#include <string>

namespace kestrel {

// A program path as the start of a command line: quoted when it contains a
// blank, so that Windows can't take a leading part of it ("C:\Program.exe")
// for the program to start.
std::string CommandPath(const std::string& path);

}  // namespace kestrel
