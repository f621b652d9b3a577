#include "Win32InfoWindow.h"

#include <richedit.h>

#include "app/ResourceIds.h"
#include "base/SessionLog.h"
#include "base/win32/SystemFunction.h"

namespace meru {

namespace {

// The rich edit of the template is of the class riched20.dll registers,
// which plain Windows 95 does not have; without it the window shows the
// same text in a plain multi-line edit (template IDD_TEXT_WINDOW_PLAIN).
// The library stays loaded for the rest of the process.
bool RichEditAvailable() {
    static const HMODULE library = LoadLibraryA("riched20.dll");
    return library != nullptr;
}

// The work area the window has to stay in: that of the monitor under the
// pointer where the system knows monitors (Windows 98 and 2000 on), the
// primary one's elsewhere. False when neither can be had.
bool WorkAreaAt(POINT pointer, RECT& area) {
    const auto monitorFromPoint = SystemFunction<decltype(&MonitorFromPoint)>("user32.dll", "MonitorFromPoint");
    const auto getMonitorInfo = SystemFunction<decltype(&GetMonitorInfoA)>("user32.dll", "GetMonitorInfoA");
    if (monitorFromPoint != nullptr && getMonitorInfo != nullptr) {
        MONITORINFO monitor = {};
        monitor.cbSize = sizeof monitor;
        if (getMonitorInfo(monitorFromPoint(pointer, MONITOR_DEFAULTTONEAREST), &monitor)) {
            area = monitor.rcWork;
            return true;
        }
    }
    return SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0) != FALSE;
}

// Moves the window so that its centre is at the mouse pointer, as far as
// the work area lets it: the whole window stays on the screen.
void CentreOnMousePointer(HWND window) {
    POINT pointer;
    RECT frame;
    if (!GetCursorPos(&pointer) || !GetWindowRect(window, &frame)) return;
    const LONG width = frame.right - frame.left;
    const LONG height = frame.bottom - frame.top;
    LONG x = pointer.x - width / 2;
    LONG y = pointer.y - height / 2;

    RECT area;
    if (WorkAreaAt(pointer, area)) {
        if (x + width > area.right) x = area.right - width;
        if (y + height > area.bottom) y = area.bottom - height;
        if (x < area.left) x = area.left;
        if (y < area.top) y = area.top;
    }
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

Win32InfoWindow::~Win32InfoWindow() {
    if (clipboardIcon_ != nullptr) DestroyIcon(clipboardIcon_);
}

bool Win32InfoWindow::Show(HINSTANCE instance, HWND owner) {
    instance_ = instance;
    richText_ = RichEditAvailable();
    const INT_PTR ended = Run(instance, richText_ ? IDD_TEXT_WINDOW : IDD_TEXT_WINDOW_PLAIN, owner);
    if (ended == -1) {
        LogPrintf("The text window \"%s\" could not be opened (%lu).\n", content_.title.c_str(),
                  static_cast<unsigned long>(GetLastError()));
    }
    return ended == IDOK;
}

INT_PTR Win32InfoWindow::Handle(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        Initialise(dialog);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
        case IDCANCEL:
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        case IDC_TEXT_WINDOW_CLIPBOARD:
            CopyWholeText(dialog);
            return TRUE;
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}

void Win32InfoWindow::Initialise(HWND dialog) {
    if (clipboardIcon_ == nullptr) {
        clipboardIcon_ = static_cast<HICON>(LoadImageA(instance_, MAKEINTRESOURCEA(IDI_CLIPBOARD), IMAGE_ICON,
                                                       GetSystemMetrics(SM_CXSMICON),
                                                       GetSystemMetrics(SM_CYSMICON), 0));
    }
    SendDlgItemMessageA(dialog, IDC_TEXT_WINDOW_CLIPBOARD, BM_SETIMAGE, IMAGE_ICON,
                        reinterpret_cast<LPARAM>(clipboardIcon_));
    SetDlgItemTextA(dialog, IDOK, content_.okCaption.c_str());
    SetDlgItemTextA(dialog, IDCANCEL, content_.cancelCaption.c_str());
    SetWindowTextA(dialog, content_.title.c_str());
    EnableWindow(GetDlgItem(dialog, IDOK), content_.okEnabled ? TRUE : FALSE);
    SetDlgItemTextA(dialog, IDC_TEXT_WINDOW_TEXT, content_.text.c_str());
    CentreOnMousePointer(dialog);
}

// Selects the whole text out of sight, copies it and puts the caret back at
// the start, so the user sees no selection come and go. A plain edit has no
// hidden selection: it is not redrawn meanwhile instead.
void Win32InfoWindow::CopyWholeText(HWND dialog) {
    HWND text = GetDlgItem(dialog, IDC_TEXT_WINDOW_TEXT);
    if (richText_) {
        SendMessageA(text, EM_HIDESELECTION, TRUE, 0);
    } else {
        SendMessageA(text, WM_SETREDRAW, FALSE, 0);
    }
    SendMessageA(text, EM_SETSEL, 0, -1);
    SendMessageA(text, WM_COPY, 0, 0);
    SendMessageA(text, EM_SETSEL, 0, 0);
    if (richText_) {
        SendMessageA(text, EM_HIDESELECTION, FALSE, 0);
    } else {
        SendMessageA(text, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(text, nullptr, TRUE);
    }
}

}  // namespace meru
