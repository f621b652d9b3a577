#include "app/SingleInstance.h"

#include <cstring>

#include "app/CommandLine.h"

namespace meru {

namespace {

StartupDecision RunWindow() {
    StartupDecision decision;
    decision.runWindow = true;
    return decision;
}

// Brings the running window to the front and sends it every argument after
// the program path, in order; this copy then ends with exit code 0.
StartupDecision HandOver(InstancePort& port, const std::vector<std::string>& args) {
    port.BringRunningWindowToFront();
    for (size_t i = 1; i < args.size(); ++i) {
        HandOverMessage message;
        message.dataWord = args.size();
        message.byteCount = static_cast<uint32_t>(std::strlen(args[i].c_str()) + 1);
        message.data = args[i].c_str();
        port.SendToRunningWindow(message);
    }
    return StartupDecision{};
}

// A PDA restore needs the card to itself: handed over, its file would only
// be queued in the running window. So this copy ends with exit code 1 and
// says why, with nothing written.
StartupDecision HandOverUnlessRestoring(InstancePort& port, const std::vector<std::string>& args) {
    if (!RequestsPdaRestore(args)) return HandOver(port, args);
    StartupDecision decision;
    decision.exitCode = 1;
    decision.logLine =
        "Start-up: another copy of MERU is running; -restorepda needs the card to itself. Nothing was written to "
        "the card.";
    return decision;
}

}  // namespace

// The window title alone cannot tell two copies started at the same moment
// apart: neither has its window yet. So every copy first creates the
// start-up mutex, which the copy that goes on to show the window owns until
// it ends.
//
// A copy that finds the mutex taken and no window waits up to ten seconds,
// in steps of the mutex wait:
//   - the window appears: the other copy is running; hand over as usual;
//   - the mutex becomes free (or is abandoned): the other copy has ended,
//     so this one runs the window and owns the mutex from now on;
//   - neither: the other copy is stuck before its window or still ending.
//     Running a second window could put two programming runs on one card,
//     so this copy gives up with exit code 1 and says why in the log.
StartupDecision DecideStartup(InstancePort& port, const std::vector<std::string>& args) {
    const InstancePort::MutexState mutex = port.CreateStartupMutex();
    if (port.FindRunningWindow()) return HandOverUnlessRestoring(port, args);
    if (mutex != InstancePort::MutexState::kHeldElsewhere) return RunWindow();

    for (int step = 0; step < kWindowWaitSteps; ++step) {
        if (port.AcquireStartupMutex(kWindowWaitStepMs)) return RunWindow();
        if (port.FindRunningWindow()) return HandOverUnlessRestoring(port, args);
    }

    StartupDecision decision;
    decision.exitCode = 1;
    decision.logLine =
        "Start-up: another copy of MERU holds the start-up lock but shows no window; "
        "this copy ends without handing over its arguments.";
    return decision;
}

std::string HandedOverText(const void* data, size_t bytes) {
    if (data == nullptr) return std::string();
    const char* text = static_cast<const char*>(data);
    const void* nul = std::memchr(text, '\0', bytes);
    const size_t length = nul ? static_cast<size_t>(static_cast<const char*>(nul) - text) : bytes;
    return std::string(text, length);
}

}  // namespace meru
