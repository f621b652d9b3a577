#include "Win32InfoWindow.h"

#include <richedit.h>

#include "app/ResourceIds.h"
#include "base/SessionLog.h"

namespace meru {

namespace {

// The rich edit of the template is of the class riched20.dll registers. The
// library stays loaded for the rest of the process.
bool RichEditAvailable() {
    static const HMODULE library = LoadLibraryA("riched20.dll");
    return library != nullptr;
}

// Moves the window so that its centre is at the mouse pointer, as far as
// the work area of the pointer's monitor lets it: the whole window stays on
// the screen.
void CentreOnMousePointer(HWND window) {
    POINT pointer;
    RECT frame;
    if (!GetCursorPos(&pointer) || !GetWindowRect(window, &frame)) return;
    const LONG width = frame.right - frame.left;
    const LONG height = frame.bottom - frame.top;
    LONG x = pointer.x - width / 2;
    LONG y = pointer.y - height / 2;

    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    if (GetMonitorInfoA(MonitorFromPoint(pointer, MONITOR_DEFAULTTONEAREST), &monitor)) {
        const RECT& area = monitor.rcWork;
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
    const INT_PTR ended = RichEditAvailable() ? Run(instance, IDD_TEXT_WINDOW, owner) : -1;
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
// the start, so the user sees no selection come and go.
void Win32InfoWindow::CopyWholeText(HWND dialog) {
    HWND text = GetDlgItem(dialog, IDC_TEXT_WINDOW_TEXT);
    SendMessageA(text, EM_HIDESELECTION, TRUE, 0);
    SendMessageA(text, EM_SETSEL, 0, -1);
    SendMessageA(text, WM_COPY, 0, 0);
    SendMessageA(text, EM_SETSEL, 0, 0);
    SendMessageA(text, EM_HIDESELECTION, FALSE, 0);
}

}  // namespace meru
