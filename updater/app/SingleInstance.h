#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace meru {

// One argument handed to the running copy (a WM_COPYDATA record).
struct HandOverMessage {
    uintptr_t dataWord = 0;  // the total argument count, program path included
    uint32_t byteCount = 0;  // length of the text + 1 (its NUL)
    const char* data = nullptr;
};

// What start-up asks of the system to find a running copy of the updater.
// A copy that shows the main window owns the start-up mutex from before it
// creates the window until it ends.
class InstancePort {
public:
    virtual ~InstancePort() = default;

    enum class MutexState {
        kOwned,          // created now: this copy owns it
        kHeldElsewhere,  // it existed already; this copy does not own it
        kUnavailable,    // the system refused it (no guard; the window decides)
    };
    // Creates or opens the named start-up mutex.
    virtual MutexState CreateStartupMutex() = 0;
    // Waits up to `milliseconds` for the mutex; true when this copy now owns it.
    virtual bool AcquireStartupMutex(uint32_t milliseconds) = 0;
    // True when a top-level window titled "MERU: VELOX Station Update" exists.
    virtual bool FindRunningWindow() = 0;
    virtual void BringRunningWindowToFront() = 0;
    // Sends one record to the running window synchronously.
    virtual void SendToRunningWindow(const HandOverMessage& message) = 0;
};

struct StartupDecision {
    bool runWindow = false;
    int exitCode = 0;     // when runWindow is false
    std::string logLine;  // when not empty: why this copy gives up
};

// How long a copy that finds the mutex taken but no window waits for the
// window, in steps of the mutex wait.
constexpr uint32_t kWindowWaitStepMs = 100;
constexpr int kWindowWaitSteps = 100;

// Decides whether this copy runs the main window or hands its arguments
// (args[0] is the program path) to the running copy and ends.
StartupDecision DecideStartup(InstancePort& port, const std::vector<std::string>& args);

// The text of a received hand-over record: up to the first NUL, and never
// past `bytes`; null data gives "".
std::string HandedOverText(const void* data, size_t bytes);

}  // namespace meru
