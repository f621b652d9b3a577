#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace meru::driver {

// Whether a top-level window is a box made by MessageBox: a dialog
// (#32770) holding nothing but its message text, an optional icon and push
// buttons with the standard answer ids (IDOK..IDCONTINUE). Dialogs of the
// program itself carry controls of their own ids and do not qualify.
bool IsMessageBox(HWND window);

// The front-most visible message box that `selector` names: "-" takes any box,
// anything else a box whose caption is `selector` or whose owner window is
// titled `selector`. nullptr when there is none.
HWND FindMessageBox(const std::string& selector);

// The box's message as the program wrote it (line breaks kept).
std::string MessageBoxText(HWND box);

// The box's visible buttons in their order on the box.
std::vector<HWND> MessageBoxButtons(HWND box);

// A button's text without its & accelerator marks ("&Yes" -> "Yes").
std::string ButtonLabel(HWND button);

// The button of the box that `name` names: an answer name (OK, Cancel,
// Abort, Retry, Ignore, Yes, No, Help, "Try Again", Continue; case does not
// count), a button text with or without its & marks, or a decimal id. nullptr when the box has none.
HWND FindMessageBoxButton(HWND box, const std::string& name);

}  // namespace meru::driver
