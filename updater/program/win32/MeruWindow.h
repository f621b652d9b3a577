#pragma once

#include <windows.h>

#include "app/RunOptions.h"
#include "base/ReportBox.h"

namespace meru {

// What the program's entry hands the main window's dialog procedure.
struct MainWindowStart {
    HINSTANCE instance;
    RunOptions options;              // what the command line asks for
    UINT handOverMessage;            // the registered "MSG_MeruFlashFile"
};

// Dialog procedure of the main window (dialog 102). The lParam of
// WM_INITDIALOG is a MainWindowStart that outlives the dialog. At that
// message the program's parts are put together: the Windows bindings of
// every port, the maintenance tools and the controller over them.
INT_PTR CALLBACK MainWindowDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace meru
