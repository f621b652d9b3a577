#pragma once

namespace meru {

// Where the main window stands. The Continue button's text follows from it
// ("Retry" while not ready, "Continue" otherwise).
enum class WindowPhase {
    kNoLibrary,           // the access library cannot be used: nothing works but Exit
    kNotReady,            // the readiness check failed: Continue reads "Retry"
    kReady,               // ready (or back from a run that stopped before the checks' end)
    kRunning,             // an update run is under way: files offered meanwhile wait
    kProgramming,         // the run writes the card's flash: Cancel is ignored
    kStoppedAfterChecks,  // the last run stopped at the checks (refused, skipped or unreadable)
    kDone,                // the last run programmed the card: Exit only
    kFatal,               // programming failed: the process ends
};

// What the runs of a session have come to (the quiet run loop turns it into
// the exit code). A run that stops before programming keeps the one before.
enum class RunOutcome {
    kNone = 0,     // no run has programmed the card or skipped a reflash
    kUpdated = 1,  // programmed
    kSkipped = 2,  // a quiet run found the card's flash holding the queued firmware
};

}  // namespace meru
