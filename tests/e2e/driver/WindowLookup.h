#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace meru::driver {

// All top-level windows, front to back.
std::vector<HWND> TopLevelWindows();

// All descendants of a window (children, their children...).
std::vector<HWND> DescendantsOf(HWND window);

// Top-level windows, visible or not, whose caption is exactly `title`
// (case counts), front to back. `className` (e.g. "#32770") narrows the
// search when it is not null.
std::vector<HWND> WindowsTitled(const std::string& title, const char* className = nullptr);

// The window titled `title`, or nullptr. When several share the title (a
// message box captioned like its owner), one that is not a message box wins.
HWND FindWindowTitled(const std::string& title, const char* className = nullptr);

// As FindWindowTitled; DriverFailure when there is no such window.
HWND RequireWindow(const std::string& title, const char* className = nullptr);

struct ControlRef {
    HWND window;
    HWND control;
};

// Control `id` of the window titled `title`: among windows that share the
// title, the first one that has such a control. DriverFailure when there is
// no such window or none of them has the control.
ControlRef RequireControl(const std::string& title, int id, const char* className = nullptr);

}  // namespace meru::driver
