// Commands about top-level windows: waiting for them, who owns them, where
// the keyboard focus is, what controls they hold.
#include <windows.h>

#include <string>

#include "Commands.h"
#include "DriverErrors.h"
#include "OneLineText.h"
#include "WindowFacts.h"
#include "WindowLookup.h"
#include "Waiting.h"

namespace meru::driver {

namespace {

constexpr const char* kDialogClass = "#32770";

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// wait-window and dialog-wait: "<handle> visible|hidden".
void WaitForWindow(const CommandArguments& args, const char* className) {
    const std::string& title = args.Text(0);
    HWND window = nullptr;
    WaitOrFail(args.Seconds(1), "no window titled " + Quoted(title), [&] {
        window = FindWindowTitled(title, className);
        return window != nullptr;
    });
    PrintLine(HandleText(window) + " " + VisibilityWord(window));
}

// The control that stands for `focus` in `window`: the focused window
// itself, or the control that contains it (the edit inside a combo box
// stands for the combo box).
HWND ControlHolding(HWND window, HWND focus) {
    HWND control = focus;
    for (HWND parent = GetParent(control); parent != nullptr && parent != window && !ClassIs(parent, kDialogClass);
         parent = GetParent(control)) {
        control = parent;
    }
    return control;
}

}  // namespace

void RunWaitWindow(const CommandArguments& args) { WaitForWindow(args, nullptr); }

void RunDialogWait(const CommandArguments& args) { WaitForWindow(args, kDialogClass); }

void RunWaitVisible(const CommandArguments& args) {
    const std::string& title = args.Text(0);
    HWND window = nullptr;
    WaitOrFail(args.Seconds(1), "no visible window titled " + Quoted(title), [&] {
        window = RequireWindow(title);
        return IsWindowVisible(window) != FALSE;
    });
    PrintLine(HandleText(window) + " visible");
}

void RunWaitGone(const CommandArguments& args) {
    const std::string& title = args.Text(0);
    WaitOrFail(args.Seconds(1), "a window titled " + Quoted(title) + " is still there",
               [&] { return WindowsTitled(title).empty(); });
    PrintLine("gone");
}

void RunPid(const CommandArguments& args) {
    DWORD processId = 0;
    GetWindowThreadProcessId(RequireWindow(args.Text(0)), &processId);
    PrintLine(std::to_string(processId));
}

// The id of the control that has the keyboard focus; "window" when the
// window itself has it, "outside" when another window of its thread has it
// (a message box, say), "none" when nothing of that thread has it.
void RunFocus(const CommandArguments& args) {
    HWND window = RequireWindow(args.Text(0));
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) {
        throw DriverFailure("cannot read the window thread's focus (error " + std::to_string(GetLastError()) + ")");
    }
    HWND focus = info.hwndFocus;
    if (focus == nullptr) {
        PrintLine("none");
    } else if (focus == window) {
        PrintLine("window");
    } else if (!IsChild(window, focus)) {
        PrintLine("outside");
    } else {
        PrintLine(std::to_string(GetDlgCtrlID(ControlHolding(window, focus))));
    }
}

// Every control of the window, descendants included, one per line:
// id, class, visible|hidden, enabled|disabled, text (tab-separated).
void RunControls(const CommandArguments& args) {
    for (HWND control : DescendantsOf(RequireWindow(args.Text(0)))) {
        PrintLine(std::to_string(GetDlgCtrlID(control)) + "\t" + ClassNameOf(control) + "\t" + VisibilityWord(control) +
                  "\t" + EnabledWord(control) + "\t" + OneLine(ControlText(control)));
    }
}

}  // namespace meru::driver
