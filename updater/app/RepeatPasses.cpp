#include "app/RepeatPasses.h"

#include <algorithm>

#include "base/SessionLog.h"

namespace meru {

namespace {

// The longest wait one Sleep call takes (0xFFFFFFFF means "for ever" on Windows).
constexpr uint64_t kLongestSleepMilliseconds = 0xFFFFFFFEu;

bool GoesOn(PassResult result, bool goingOn) {
    if (result == PassResult::kUpdated) return true;
    // A card out of its slot between two cards: wait for the next one, but
    // only once the loop has updated a card.
    return result == PassResult::kNoAdapter && goingOn;
}

}  // namespace

std::vector<PassResult> RepeatPasses(const RepeatRules& rules, const std::function<PassResult()>& runPass,
                                     const std::function<void(uint32_t milliseconds)>& sleep) {
    // Counted wide, so that no value of N can overflow; N itself fits a long.
    const int64_t passes = rules.repeat ? std::max<int64_t>(rules.repeatCount, 1) : 1;
    std::vector<PassResult> results;
    bool goingOn = false;
    for (int64_t pass = 1; pass <= passes; ++pass) {
        const PassResult result = runPass();
        results.push_back(result);
        if (rules.repeat) {
            LogPrintf("pass %ld of %ld: %s\n", static_cast<long>(pass), static_cast<long>(passes),
                      PassLineText(result));
        }
        if (rules.delay && rules.delaySeconds > 0) {
            const uint64_t milliseconds = static_cast<uint64_t>(rules.delaySeconds) * 1000u;
            sleep(static_cast<uint32_t>(std::min(milliseconds, kLongestSleepMilliseconds)));
        }
        goingOn = GoesOn(result, goingOn);
        if (!goingOn) break;
    }
    return results;
}

bool EveryPassSucceeded(const std::vector<PassResult>& results) {
    return !results.empty() && std::all_of(results.begin(), results.end(), PassSucceeded);
}

const char* PassLineText(PassResult result) {
    switch (result) {
    case PassResult::kUpdated: return "updated";
    case PassResult::kUpToDate: return "up to date, nothing written";
    case PassResult::kRefused: return "refused";
    case PassResult::kNoAdapter: return "no adapter";
    case PassResult::kNotReady: return "not ready";
    case PassResult::kFailed: return "failed";
    }
    return "unknown";
}

}  // namespace meru
