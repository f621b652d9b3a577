#pragma once

#include <windows.h>

namespace meru {

// A modal dialog of the tools: runs a template over an owner window and
// hands its messages to Handle. The updater is built without exceptions: an
// internal error in a handler ends the program where it happens, with a
// box (velox::StopAfterInternalError), so nothing unwinds through the
// window system's frames.
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
};

}  // namespace meru
