#include "WindowLookup.h"

#include "DriverErrors.h"
#include "MessageBoxes.h"
#include "WindowFacts.h"

namespace meru::driver {

namespace {

std::string NoWindowMessage(const std::string& title, const char* className) {
    std::string message = "no window titled \"" + title + "\"";
    if (className != nullptr) message += std::string(" of class ") + className;
    return message;
}

BOOL CALLBACK CollectWindow(HWND window, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

// GetDlgItem sees direct children only; a control on a child dialog (a
// property page, say) is found among all descendants.
HWND FindControlById(HWND window, int id) {
    if (HWND control = GetDlgItem(window, id)) return control;
    for (HWND child : DescendantsOf(window)) {
        if (GetDlgCtrlID(child) == id) return child;
    }
    return nullptr;
}

}  // namespace

// The lists are collected first and looked at afterwards, so that no
// exception ever has to unwind through the enumeration inside user32.
std::vector<HWND> TopLevelWindows() {
    std::vector<HWND> windows;
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

std::vector<HWND> DescendantsOf(HWND window) {
    std::vector<HWND> children;
    EnumChildWindows(window, CollectWindow, reinterpret_cast<LPARAM>(&children));
    return children;
}

std::vector<HWND> WindowsTitled(const std::string& title, const char* className) {
    // FindWindowEx ignores case; the caption check below does not.
    std::vector<HWND> windows;
    HWND after = nullptr;
    while ((after = FindWindowExA(nullptr, after, className, title.c_str())) != nullptr) {
        if (CaptionOf(after) == title) windows.push_back(after);
    }
    return windows;
}

HWND FindWindowTitled(const std::string& title, const char* className) {
    const std::vector<HWND> windows = WindowsTitled(title, className);
    for (HWND window : windows) {
        if (!IsMessageBox(window)) return window;
    }
    return windows.empty() ? nullptr : windows.front();
}

HWND RequireWindow(const std::string& title, const char* className) {
    HWND window = FindWindowTitled(title, className);
    if (window == nullptr) throw DriverFailure(NoWindowMessage(title, className));
    return window;
}

ControlRef RequireControl(const std::string& title, int id, const char* className) {
    const std::vector<HWND> windows = WindowsTitled(title, className);
    if (windows.empty()) throw DriverFailure(NoWindowMessage(title, className));
    for (HWND window : windows) {
        if (HWND control = FindControlById(window, id)) return ControlRef{window, control};
    }
    throw DriverFailure("window \"" + title + "\" has no control with id " + std::to_string(id));
}

}  // namespace meru::driver
