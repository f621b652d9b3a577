#pragma once

#include <windows.h>

#include <string>

namespace meru::driver {

// What the driver reads from a window that belongs to another process.

// The text of a control (edit, button, static...) through WM_GETTEXT,
// which Windows copies across processes. DriverFailure when the control's
// program does not answer within a few seconds.
std::string ControlText(HWND control);

// The caption of a top-level window as the window manager keeps it
// (GetWindowText: no message is sent to the other process).
std::string CaptionOf(HWND window);

std::string ClassNameOf(HWND window);
bool ClassIs(HWND window, const char* className);

// "visible" or "hidden": the window's own WS_VISIBLE style, so a control
// reads as visible even while its dialog is hidden.
const char* VisibilityWord(HWND window);
// "enabled" or "disabled".
const char* EnabledWord(HWND window);

// The handle as 0x followed by lower-case hex digits.
std::string HandleText(HWND window);

}  // namespace meru::driver
