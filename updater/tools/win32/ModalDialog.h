#pragma once

#include <windows.h>

#include <exception>

namespace meru {

// A modal dialog of the tools: runs a template over an owner window and
// hands its messages to Handle. An exception thrown by a handler must not
// unwind through the window system's frames: it ends the dialog with Cancel
// and is thrown again from Run, on the caller's side of the dialog.
class ModalDialog {
public:
    virtual ~ModalDialog() = default;
    ModalDialog() = default;
    ModalDialog(const ModalDialog&) = delete;
    ModalDialog& operator=(const ModalDialog&) = delete;

    // The value the dialog ended with (IDOK, IDCANCEL...), or -1 when it
    // could not be created.
    INT_PTR Run(HINSTANCE instance, int templateId, HWND owner);

protected:
    // A message of the dialog; the dialog procedure's return value (FALSE
    // for a message left to the dialog manager).
    virtual INT_PTR Handle(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) = 0;

private:
    static INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

    std::exception_ptr error_;
};

}  // namespace meru
