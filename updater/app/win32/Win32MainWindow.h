#pragma once

#include <windows.h>

#include "Win32MainWindowView.h"
#include "Win32Tooltips.h"

namespace meru {

class MainWindow;

// Dialog 102 on the Windows side: hands its messages to the controller and
// answers what the window system asks of the dialog itself (icons, colours,
// cursor, tooltips, the icon while minimised). The controller and the view
// are wired by the program and outlive this object.
class Win32MainWindow {
public:
    Win32MainWindow(HWND dialog, HINSTANCE instance, UINT handOverMessage, MainWindow& controller,
                    Win32MainWindowView& view);
    ~Win32MainWindow();
    Win32MainWindow(const Win32MainWindow&) = delete;
    Win32MainWindow& operator=(const Win32MainWindow&) = delete;

    // WM_INITDIALOG: the window system's part first, then the controller's
    // (a quiet session ends the dialog before this returns).
    void Initialise();
    // True when the message was handled; `result` is the dialog procedure's return value.
    bool Handle(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result);

private:
    void AddAboutToSystemMenu();
    void SetIcons();
    bool OnCommand(WPARAM wParam, LPARAM lParam);
    bool OnNotify(NMHDR* notification);
    void OnDropFiles(HDROP drop);
    bool PaintIconic();
    // Sets the value DefDlgProc returns for a message the procedure handled.
    void SetMessageResult(LRESULT value) { SetWindowLongPtrA(dialog_, DWLP_MSGRESULT, value); }

    HWND dialog_;
    UINT handOverMessage_;
    MainWindow& controller_;
    Win32MainWindowView& view_;
    HICON icon_;
    HICON smallIcon_;
    Win32Tooltips tooltips_;
};

}  // namespace meru
