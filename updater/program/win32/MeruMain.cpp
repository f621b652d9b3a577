// Process entry of meru.exe: hand over to a running copy, or run the main
// window as a modal dialog and turn the way it ended into the exit code.
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "InternalError.h"
#include "MeruWindow.h"
#include "app/CommandLine.h"
#include "app/ResourceIds.h"
#include "app/SingleInstance.h"
#include "app/win32/Win32InstancePort.h"
#include "app/win32/Win32MessageBox.h"
#include "base/ProcessExit.h"
#include "base/ReportBox.h"
#include "base/SessionLog.h"
#include "base/win32/SystemFunction.h"
#include "image/ResourceSource.h"
#include "image/win32/Win32ResourceSource.h"

namespace {

std::vector<std::string> ProgramArguments() {
    std::vector<std::string> args;
    for (int i = 0; i < __argc; ++i) args.emplace_back(__argv[i]);
    return args;
}

// The common controls of version 4.70 and later register their classes by
// group; those of Windows 95 and NT 4 know only the call that registers
// them all.
void InitialiseCommonControls() {
    const auto initialiseGroups =
        meru::SystemFunction<decltype(&InitCommonControlsEx)>("comctl32.dll", "InitCommonControlsEx");
    if (initialiseGroups == nullptr) {
        InitCommonControls();
        return;
    }
    INITCOMMONCONTROLSEX classes = {};
    classes.dwSize = sizeof classes;
    classes.dwICC = ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS | ICC_BAR_CLASSES;  // tooltips are bar classes
    initialiseGroups(&classes);
    // Only the common controls of version 6 know this flag; older ones refuse
    // the call and keep the system's standard classes.
    classes.dwICC = ICC_STANDARD_CLASSES;
    initialiseGroups(&classes);
}

// The updater is built without exceptions: an internal error (out of
// memory, a failed check of the C++ library) ends it where it happens, with
// a logged box.
[[noreturn]] void StopAfterInternalError(const char* what) {
    const std::string text = std::string("MERU has stopped after an internal error: ") + what;
    meru::ReportBox(nullptr, text.c_str(), "Error", meru::kBoxIconStop);
    meru::EndProcess(1);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    velox::SetInternalErrorHandler(StopAfterInternalError);
    const UINT handOverMessage = RegisterWindowMessageA("MSG_MeruFlashFile");
    const std::vector<std::string> args = ProgramArguments();

    // Lives until the process ends: a copy that runs the window keeps the
    // start-up mutex owned all that time.
    static meru::Win32InstancePort instances;
    const meru::StartupDecision startup = meru::DecideStartup(instances, args);
    if (!startup.runWindow) {
        if (!startup.logLine.empty()) {
            // Logging is on as it would be in the window this copy does not open.
            meru::TheSessionLog().SetEnabled(true);
            meru::LogPrintf("%s\n", startup.logLine.c_str());
        }
        meru::FlushAllOutput();
        return startup.exitCode;
    }

    InitialiseCommonControls();
    static meru::Win32MessageBox messageBoxes;
    meru::SetMessageBoxPort(&messageBoxes);
    static meru::Win32ResourceSource firmwareResources;
    meru::SetResourceSource(&firmwareResources);

    // The options travel as a value; the window gives a quiet session its
    // boxes (only logged, answered Cancel) when it takes its command line.
    meru::MainWindowStart start{instance, meru::ParseCommandLine(args), handOverMessage};
    const INT_PTR ended =
        DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_MAIN_WINDOW), nullptr, meru::MainWindowDialogProc,
                        reinterpret_cast<LPARAM>(&start));
    if (ended == IDOK || ended == IDCANCEL) {
        meru::FlushAllOutput();
        return ended == IDOK ? 0 : 1;
    }
    // No window (no display, no resources): nothing was done, and an
    // unattended caller must not take that for success.
    meru::TheSessionLog().SetEnabled(true);
    meru::LogPrintf("The main window could not be created (%ld); nothing was done.\n",
                    static_cast<long>(GetLastError()));
    meru::FlushAllOutput();
    return 1;
}
