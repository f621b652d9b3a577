#pragma once

#include <cstdint>
#include <string>

namespace meru {

// Process-wide switches, set by the command-line parse and read by the rest
// of the updater. Written only before the first update run.
struct Settings {
    bool loggingEnabled = false;
    bool quietMode = false;
    bool olderOk = false;
    bool commandLineFiles = false;
    bool batteryOk = false;
    bool manifestRequested = false;
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

// The one copy the program uses.
Settings& TheSettings();

}  // namespace meru
