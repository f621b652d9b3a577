// Commands that post a message to a window and return at once: "posted"
// means the message is in the program's queue, not that it was handled.
#include <windows.h>

#include <string>

#include "Commands.h"
#include "DriverErrors.h"
#include "OneLineText.h"
#include "WindowFacts.h"
#include "WindowLookup.h"

namespace meru::driver {

namespace {

void Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!PostMessageA(window, message, wParam, lParam)) {
        throw DriverFailure("cannot post to window " + HandleText(window) + " (error " +
                            std::to_string(GetLastError()) + ")");
    }
    PrintLine("posted");
}

}  // namespace

// WM_COMMAND as a button of that id sends it when clicked; commands without
// a control of their own (menu entries) are posted with no control handle.
void RunCommand(const CommandArguments& args) {
    HWND window = RequireWindow(args.Text(0));
    const int id = args.Id(1);
    HWND control = GetDlgItem(window, id);
    Post(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(control));
}

void RunSysCommand(const CommandArguments& args) {
    Post(RequireWindow(args.Text(0)), WM_SYSCOMMAND, static_cast<WPARAM>(args.Id(1)), 0);
}

// BM_CLICK: the button presses itself and notifies its window. A disabled
// button ignores it, so clicking one fails here rather than silently.
void RunClick(const CommandArguments& args) {
    HWND control = RequireControl(args.Text(0), args.Id(1)).control;
    if (!IsWindowEnabled(control)) {
        throw DriverFailure("control " + std::to_string(args.Id(1)) + " of \"" + args.Text(0) + "\" is disabled");
    }
    Post(control, BM_CLICK, 0, 0);
}

void RunClose(const CommandArguments& args) { Post(RequireWindow(args.Text(0)), WM_CLOSE, 0, 0); }

}  // namespace meru::driver
