#pragma once

#include <cstdio>

namespace kestrel_checks {

// Counts and prints the failed checks of kestrel-checks.exe.
inline int& Failures() {
    static int failures = 0;
    return failures;
}

inline void Check(bool passed, const char* what) {
    if (passed) return;
    ++Failures();
    std::printf("failed: %s\n", what);
}

// The COM rules of DevEnabler and its class factory, in-process.
void CheckObjectRules();
// Version, string table and type library of Kestrelsvc.exe in the same folder.
void CheckProgramResources();

}  // namespace kestrel_checks
