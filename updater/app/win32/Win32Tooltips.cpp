#include "Win32Tooltips.h"

namespace meru {

namespace {

// Wide enough that the longest tip breaks into a few lines.
constexpr LPARAM kMaxTipWidth = 300;

}  // namespace

Win32Tooltips::Win32Tooltips(HWND dialog, HINSTANCE instance) : dialog_(dialog), instance_(instance) {
    // Owned by the dialog, so it goes away with it.
    tooltip_ = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, dialog, nullptr, instance, nullptr);
    if (tooltip_ == nullptr) return;
    SendMessageA(tooltip_, TTM_SETMAXTIPWIDTH, 0, kMaxTipWidth);
    EnumChildWindows(dialog, RegisterChild, reinterpret_cast<LPARAM>(this));
}

BOOL CALLBACK Win32Tooltips::RegisterChild(HWND child, LPARAM self) {
    const Win32Tooltips& tips = *reinterpret_cast<const Win32Tooltips*>(self);
    TOOLINFOA tool = {};
    // The size the common controls of every supported Windows accept.
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = tips.dialog_;
    tool.uId = reinterpret_cast<UINT_PTR>(child);
    tool.lpszText = LPSTR_TEXTCALLBACKA;
    SendMessageA(tips.tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    return TRUE;
}

int Win32Tooltips::ControlIdOf(const NMHDR* notification, UINT flags) const {
    if (flags & TTF_IDISHWND) return GetDlgCtrlID(reinterpret_cast<HWND>(notification->idFrom));
    return static_cast<int>(notification->idFrom);
}

bool Win32Tooltips::AnswerTextRequest(NMHDR* notification) {
    if (notification->code == TTN_GETDISPINFOA) {
        NMTTDISPINFOA* info = reinterpret_cast<NMTTDISPINFOA*>(notification);
        const int id = ControlIdOf(notification, info->uFlags);
        if (id <= 0 || LoadStringA(instance_, static_cast<UINT>(id), text_, sizeof text_) <= 0) text_[0] = '\0';
        info->hinst = nullptr;
        info->lpszText = text_;
        return true;
    }
    if (notification->code == TTN_GETDISPINFOW) {
        // The string read as ANSI and widened: the Windows 95 family has no
        // wide LoadString.
        NMTTDISPINFOW* info = reinterpret_cast<NMTTDISPINFOW*>(notification);
        const int id = ControlIdOf(notification, info->uFlags);
        if (id <= 0 || LoadStringA(instance_, static_cast<UINT>(id), text_, sizeof text_) <= 0 ||
            MultiByteToWideChar(CP_ACP, 0, text_, -1, wideText_, kTextCapacity) <= 0) {
            wideText_[0] = L'\0';
        }
        info->hinst = nullptr;
        info->lpszText = wideText_;
        return true;
    }
    return false;
}

}  // namespace meru
