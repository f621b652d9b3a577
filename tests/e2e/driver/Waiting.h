#pragma once

#include <functional>
#include <string>

namespace meru::driver {

// Time limit of the wait commands when the command line gives none.
constexpr double kDefaultWaitSeconds = 20.0;

// Asks `ready` every few milliseconds, at least once, until it answers true
// or `seconds` have passed. A DriverFailure thrown by `ready` (the window is
// not there yet...) only means "not yet". On time-out throws DriverFailure
// "<unmet> (waited <seconds> s)", with the last such failure's reason.
void WaitOrFail(double seconds, const std::string& unmet, const std::function<bool()>& ready);

}  // namespace meru::driver
