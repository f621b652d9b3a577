#pragma once

#include <string>

namespace kestrel {

// What the program's command line asks for.
enum class HostCommand {
    Run,          // no command: serve as a service or a local server
    UnregServer,  // remove the registration and the service
    RegServer,    // register as a plain local server
    Service,      // register and install as a service
};

// Scans the whole command line (program path included) for '-' and '/'.
// After each one the rest of the line, up to its end, is compared with the
// command names ignoring letter case; a command followed by further text is
// therefore not a command.
HostCommand ScanCommandLine(const std::string& commandLine);

}  // namespace kestrel
