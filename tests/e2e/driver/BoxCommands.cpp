// Commands about the program's message boxes. BOX is "-" for any message
// box, or a box's caption, or the title of the window that owns the box.
#include <windows.h>

#include <string>
#include <vector>

#include "Commands.h"
#include "DriverErrors.h"
#include "MessageBoxes.h"
#include "OneLineText.h"
#include "WindowFacts.h"
#include "Waiting.h"

namespace meru::driver {

namespace {

HWND WaitForBox(const std::string& selector, double seconds) {
    HWND box = nullptr;
    const std::string missing = selector == "-" ? "no message box" : "no message box \"" + selector + "\"";
    WaitOrFail(seconds, missing, [&] {
        box = FindMessageBox(selector);
        return box != nullptr;
    });
    return box;
}

std::string ButtonList(HWND box) {
    std::string list;
    for (HWND button : MessageBoxButtons(box)) {
        if (!list.empty()) list += '\t';
        list += OneLine(ButtonLabel(button));
    }
    return list;
}

}  // namespace

// "<caption>\t<text>".
void RunBoxWait(const CommandArguments& args) {
    HWND box = WaitForBox(args.Text(0), args.Seconds(1));
    PrintLine(OneLine(CaptionOf(box)) + "\t" + OneLine(MessageBoxText(box)));
}

// The box's button labels, tab-separated, in their order on the box.
void RunBoxButtons(const CommandArguments& args) { PrintLine(ButtonList(WaitForBox(args.Text(0), args.Seconds(1)))); }

// Presses a button of the box (BM_CLICK) and waits until the box has closed;
// prints the label of the button pressed.
void RunBoxPress(const CommandArguments& args) {
    const std::string& buttonName = args.Text(1);
    const double seconds = args.Seconds(2);
    HWND box = WaitForBox(args.Text(0), seconds);
    HWND button = FindMessageBoxButton(box, buttonName);
    if (button == nullptr) {
        throw DriverFailure("the box \"" + CaptionOf(box) + "\" has no button \"" + buttonName +
                            "\" (its buttons: " + ButtonList(box) + ")");
    }
    const std::string label = ButtonLabel(button);
    if (!PostMessageA(button, BM_CLICK, 0, 0)) {
        throw DriverFailure("cannot post to button " + HandleText(button) + " (error " +
                            std::to_string(GetLastError()) + ")");
    }
    WaitOrFail(seconds, "the box \"" + CaptionOf(box) + "\" stays open after pressing " + label,
               [&] { return !IsWindow(box) || !IsWindowVisible(box); });
    PrintLine(label);
}

}  // namespace meru::driver
