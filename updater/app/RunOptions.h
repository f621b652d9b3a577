#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace meru {

// What the command line asks of a session, read once before the window
// opens and handed to the main window as a value.
struct RunOptions {
    // The command line as given, program path first.
    std::vector<std::string> arguments;
    // The file arguments in their order (anything that is not an option).
    std::vector<std::string> files;
    bool commandLineFiles = false;

    // The last of "-log" and "-nolog"; the window logs from its start.
    bool logging = true;
    // The last of "-quiet" and "-verbose": an unattended session.
    bool quiet = false;
    bool olderOk = false;
    bool batteryOk = false;
    bool manifest = false;
    bool repeat = false;
    int32_t repeatCount = 0;
    bool delay = false;
    int32_t delaySeconds = 0;
    // "-restorepda FILE": the session writes FILE's records as the card's
    // whole production data instead of updating (the path may be empty).
    bool restorePda = false;
    std::string restorePdaPath;
    // "-otherMacOK": a quiet restore may write a file that names another
    // MAC address than the card's.
    bool otherMacOk = false;
    // "-report FILE": each pass of a quiet run appends its result record
    // to FILE (the path may be empty).
    bool report = false;
    std::string reportPath;
};

}  // namespace meru
