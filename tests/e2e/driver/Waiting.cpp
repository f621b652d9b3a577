#include "Waiting.h"

#include <windows.h>

#include <cstdio>

#include "DriverErrors.h"

namespace meru::driver {

namespace {

constexpr DWORD kPollMilliseconds = 50;

bool WaitFor(double seconds, const std::function<bool()>& ready) {
    const ULONGLONG limit = static_cast<ULONGLONG>(seconds * 1000.0);
    const ULONGLONG start = GetTickCount64();
    for (;;) {
        if (ready()) return true;
        if (GetTickCount64() - start >= limit) return false;
        Sleep(kPollMilliseconds);
    }
}

}  // namespace

void WaitOrFail(double seconds, const std::string& unmet, const std::function<bool()>& ready) {
    std::string lastReason;
    const bool done = WaitFor(seconds, [&] {
        try {
            return ready();
        } catch (const DriverFailure& failure) {
            lastReason = failure.what();
            return false;
        }
    });
    if (done) return;
    char waited[48];
    std::snprintf(waited, sizeof waited, " (waited %g s)", seconds);
    throw DriverFailure(unmet + waited + (lastReason.empty() ? "" : ": " + lastReason));
}

}  // namespace meru::driver
