#include "Win32ProgressWindow.h"

#include <memory>

#include "app/ResourceIds.h"

namespace meru {

namespace {

// The window has no buttons and no handlers of its own beyond the dialog defaults.
INT_PTR CALLBACK ProgressDialogProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

}  // namespace

Win32ProgressWindow::Win32ProgressWindow(HWND window)
    : window_(window), bar_(GetDlgItem(window, IDC_PROGRESS_BAR)) {}

Win32ProgressWindow::~Win32ProgressWindow() { DestroyWindow(window_); }

std::unique_ptr<Win32ProgressWindow> Win32ProgressWindow::Create(HINSTANCE instance, HWND owner) {
    HWND window = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_PROGRESS), owner, ProgressDialogProc, 0);
    if (window == nullptr) return nullptr;
    return std::make_unique<Win32ProgressWindow>(window);
}

void Win32ProgressWindow::CentreAndShow() {
    RECT frame;
    GetWindowRect(window_, &frame);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    SetWindowPos(window_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::ShowWindow(window_, SW_SHOW);
}

void Win32ProgressWindow::SetLines(const std::string& progress, const std::string& adapter,
                                   const std::string& firmware) {
    SetDlgItemTextA(window_, IDC_PROGRESS_TEXT, progress.c_str());
    SetDlgItemTextA(window_, IDC_PROGRESS_ADAPTER, adapter.c_str());
    SetDlgItemTextA(window_, IDC_PROGRESS_FIRMWARE, firmware.c_str());
}

void Win32ProgressWindow::PaintNow() {
    HideCaret(GetDlgItem(window_, IDC_PROGRESS_TEXT));
    // The window and every line at once: no message loop runs while the card is written.
    RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

}  // namespace meru
