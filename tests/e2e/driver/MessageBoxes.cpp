#include "MessageBoxes.h"

#include <cstdlib>

#include "WindowFacts.h"
#include "WindowLookup.h"

namespace meru::driver {

namespace {

// The message text's id, in Windows and in Wine alike.
constexpr int kMessageTextId = 0xFFFF;

struct AnswerName {
    const char* name;
    int id;
};

constexpr AnswerName kAnswerNames[] = {
    {"OK", IDOK},       {"Cancel", IDCANCEL}, {"Abort", IDABORT}, {"Retry", IDRETRY},
    {"Ignore", IDIGNORE}, {"Yes", IDYES},     {"No", IDNO},       {"Help", IDHELP},
    {"Try Again", IDTRYAGAIN},                {"Continue", IDCONTINUE},
};

bool IsAnswerId(int id) { return id >= IDOK && id <= IDCONTINUE; }

bool IsPushButton(HWND button) {
    const LONG_PTR type = GetWindowLongPtrA(button, GWL_STYLE) & BS_TYPEMASK;
    return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
}

bool IsIconStatic(HWND control) {
    return (GetWindowLongPtrA(control, GWL_STYLE) & SS_TYPEMASK) == SS_ICON;
}

std::vector<HWND> DirectChildren(HWND window) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        children.push_back(child);
    }
    return children;
}

// The static that holds the message, or nullptr when `box` is not shaped
// like a message box.
HWND MessageTextControl(HWND box) {
    if (!ClassIs(box, "#32770")) return nullptr;
    HWND text = nullptr;
    bool hasButton = false;
    for (HWND child : DirectChildren(box)) {
        const int id = GetDlgCtrlID(child);
        if (ClassIs(child, "Button")) {
            if (!IsPushButton(child) || !IsAnswerId(id)) return nullptr;
            hasButton = true;
        } else if (ClassIs(child, "Static")) {
            if (IsIconStatic(child)) continue;
            if (id != kMessageTextId || text != nullptr) return nullptr;
            text = child;
        } else {
            return nullptr;
        }
    }
    return hasButton ? text : nullptr;
}

bool SameTextIgnoringCase(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }

bool IsDecimal(const std::string& text) {
    if (text.empty() || text.size() > 5) return false;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

}  // namespace

bool IsMessageBox(HWND window) { return MessageTextControl(window) != nullptr; }

HWND FindMessageBox(const std::string& selector) {
    for (HWND window : TopLevelWindows()) {
        // A box is shown once its text and buttons are in place.
        if (!IsWindowVisible(window) || !IsMessageBox(window)) continue;
        HWND owner = GetWindow(window, GW_OWNER);
        if (selector == "-" || CaptionOf(window) == selector || (owner != nullptr && CaptionOf(owner) == selector)) {
            return window;
        }
    }
    return nullptr;
}

std::string MessageBoxText(HWND box) {
    HWND text = MessageTextControl(box);
    return text != nullptr ? ControlText(text) : std::string();
}

std::vector<HWND> MessageBoxButtons(HWND box) {
    std::vector<HWND> buttons;
    for (HWND child : DirectChildren(box)) {
        if (ClassIs(child, "Button") && (GetWindowLongPtrA(child, GWL_STYLE) & WS_VISIBLE) != 0) {
            buttons.push_back(child);
        }
    }
    return buttons;
}

std::string ButtonLabel(HWND button) {
    const std::string text = ControlText(button);
    std::string label;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size()) ++i;  // "&&" stands for one '&'
        label += text[i];
    }
    return label;
}

HWND FindMessageBoxButton(HWND box, const std::string& name) {
    const std::vector<HWND> buttons = MessageBoxButtons(box);
    int wantedId = 0;
    if (IsDecimal(name)) wantedId = std::atoi(name.c_str());
    for (const AnswerName& answer : kAnswerNames) {
        if (SameTextIgnoringCase(name, answer.name)) wantedId = answer.id;
    }
    for (HWND button : buttons) {
        const bool named = wantedId != 0 ? GetDlgCtrlID(button) == wantedId
                                         : SameTextIgnoringCase(ButtonLabel(button), name) ||
                                               SameTextIgnoringCase(ControlText(button), name);
        if (named) return button;
    }
    return nullptr;
}

}  // namespace meru::driver
