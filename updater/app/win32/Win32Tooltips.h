#pragma once

#include <windows.h>
#include <commctrl.h>

namespace meru {

// One tooltip control for every child control of a dialog. A control's tip
// is the string resource whose identifier equals the control's; a control
// without such a string shows none.
class Win32Tooltips {
public:
    Win32Tooltips(HWND dialog, HINSTANCE instance);
    Win32Tooltips(const Win32Tooltips&) = delete;
    Win32Tooltips& operator=(const Win32Tooltips&) = delete;

    // Answers the tooltip's text request (TTN_GETDISPINFO, ANSI or wide);
    // false when the notification is not one.
    bool AnswerTextRequest(NMHDR* notification);

private:
    static BOOL CALLBACK RegisterChild(HWND child, LPARAM self);
    int ControlIdOf(const NMHDR* notification, UINT flags) const;

    HWND dialog_;
    HINSTANCE instance_;
    HWND tooltip_ = nullptr;
    static constexpr int kTextCapacity = 512;
    char text_[kTextCapacity] = "";
    wchar_t wideText_[kTextCapacity] = L"";
};

}  // namespace meru
