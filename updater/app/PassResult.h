#pragma once

namespace meru {

// What one pass of a run came to, as the exit code, the -repeat loop's log
// and a result record tell it. Only kUpdated and kUpToDate are successes.
enum class PassResult {
    kUpdated,     // the card was written and verified
    kUpToDate,    // the card already held what was queued: nothing written
    kRefused,     // the checks refused the queued firmware for this card
    kNoAdapter,   // no VELOX adapter was found
    kNotReady,    // the card or the files were not fit for an update
    kFailed,      // the update began and did not end well
};

inline bool PassSucceeded(PassResult result) {
    return result == PassResult::kUpdated || result == PassResult::kUpToDate;
}

}  // namespace meru
