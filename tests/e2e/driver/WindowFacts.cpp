#include "WindowFacts.h"

#include <cstdint>
#include <cstdio>
#include <vector>

#include "TimedMessages.h"

namespace meru::driver {

std::string ControlText(HWND control) {
    const LRESULT length = SendWithTimeLimit(control, WM_GETTEXTLENGTH, 0, 0);
    if (length <= 0) return std::string();
    std::vector<char> buffer(static_cast<size_t>(length) + 1, '\0');
    const LRESULT copied = SendForText(control, WM_GETTEXT, buffer.size(), buffer, false);
    if (copied <= 0) return std::string();
    return std::string(buffer.data(), static_cast<size_t>(copied < length ? copied : length));
}

std::string CaptionOf(HWND window) {
    const int length = GetWindowTextLengthA(window);
    if (length <= 0) return std::string();
    std::vector<char> buffer(static_cast<size_t>(length) + 1, '\0');
    const int copied = GetWindowTextA(window, buffer.data(), static_cast<int>(buffer.size()));
    return std::string(buffer.data(), copied > 0 ? static_cast<size_t>(copied) : 0);
}

std::string ClassNameOf(HWND window) {
    char name[256] = {};
    const int length = GetClassNameA(window, name, sizeof name);
    return std::string(name, length > 0 ? static_cast<size_t>(length) : 0);
}

bool ClassIs(HWND window, const char* className) {
    return lstrcmpiA(ClassNameOf(window).c_str(), className) == 0;
}

const char* VisibilityWord(HWND window) {
    return (GetWindowLongPtrA(window, GWL_STYLE) & WS_VISIBLE) != 0 ? "visible" : "hidden";
}

const char* EnabledWord(HWND window) { return IsWindowEnabled(window) ? "enabled" : "disabled"; }

std::string HandleText(HWND window) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%llx",
                  static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(window)));
    return text;
}

}  // namespace meru::driver
