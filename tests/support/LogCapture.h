#pragma once

#include <string>

#include "TempDir.h"
#include "base/SessionLog.h"

namespace testsupport {

// Points the session log at a temporary file with logging on, and restores
// the default (logging off, default path) afterwards. Text() returns what was logged.
class LogCapture {
public:
    LogCapture() {
        meru::TheSessionLog().SetEnabled(true);
        Reset();
    }
    ~LogCapture() {
        meru::TheSessionLog().SetPath(meru::SessionLog::kDefaultPath);
        meru::TheSessionLog().SetEnabled(false);
    }
    std::string Text() {
        meru::TheSessionLog().Flush();
        return ReadWholeFile(current_);
    }
    // Forgets what was logged so far.
    void Reset() {
        current_ = dir_.File("flash-" + std::to_string(generation_++) + ".log");
        meru::TheSessionLog().SetPath(current_);
    }
    const std::string& Path() const { return current_; }

private:
    TempDir dir_;
    int generation_ = 0;
    std::string current_;
};

}  // namespace testsupport
