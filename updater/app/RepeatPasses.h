#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "app/PassResult.h"

namespace meru {

// How a quiet session repeats its update: "-repeat N" and "-delay N" as values.
struct RepeatRules {
    bool repeat = false;
    int32_t repeatCount = 0;
    bool delay = false;
    int32_t delaySeconds = 0;
};

// The quiet run loop: at most N passes ("-repeat N", one for N <= 1), each
// followed by the delay. The loop goes on after a pass that updated the
// card, and through passes that find no adapter while a card is being
// swapped; any other pass ends it, so a card that stops every pass ends the
// loop at once whatever N is. With "-repeat" each pass's result is logged
// ("pass 2 of 3: no adapter"). Returns the results, one per pass run.
std::vector<PassResult> RepeatPasses(const RepeatRules& rules, const std::function<PassResult()>& runPass,
                                     const std::function<void(uint32_t milliseconds)>& sleep);

// A quiet session succeeds when every pass updated the card or found it up to date.
bool EveryPassSucceeded(const std::vector<PassResult>& results);

// The words of a pass's log line: "updated", "up to date, nothing written", ...
const char* PassLineText(PassResult result);

}  // namespace meru
