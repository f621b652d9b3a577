// kestrel-checks.exe: in-process checks of the DevEnabler COM rules and of
// Kestrelsvc.exe's resources (run after /RegServer). Prints one line per
// failed check and "PASS" or "FAIL"; the exit code is the number of failures.
#include <windows.h>

#include <cstdio>

#include "CheckReport.h"

int main() {
    if (FAILED(CoInitialize(nullptr))) return 100;
    kestrel_checks::CheckObjectRules();
    kestrel_checks::CheckProgramResources();
    CoUninitialize();
    const int failures = kestrel_checks::Failures();
    std::printf("%s\n", failures == 0 ? "PASS" : "FAIL");
    return failures;
}
