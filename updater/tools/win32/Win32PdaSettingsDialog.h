#pragma once

#include <windows.h>

#include "tools/PdaEditForm.h"
#include "tools/win32/ModalDialog.h"

namespace meru {

// Dialog 139 "View / Modify PDA Settings" over PdaEditFields. It moves the
// controls' values into the fields, lets PdaEditForm decide (the MAC text
// reformatted as typed, the check on "Write to Card Now") and pushes the
// fields back into the controls.
class Win32PdaSettingsDialog : public ModalDialog {
public:
    explicit Win32PdaSettingsDialog(const PdaEditFields& fields) : fields_(fields) {}

    // True when the dialog ended with OK; `accepted` then holds the fields
    // as accepted. False when cancelled or not opened (logged).
    bool Ask(HINSTANCE instance, HWND owner, PdaEditFields& accepted);

private:
    INT_PTR Handle(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnMacTextChanged(HWND dialog);
    void OnWriteToCard(HWND dialog);
    void PullFields(HWND dialog);
    void PushFields(HWND dialog);

    PdaEditFields fields_;
    // Set while the fields are pushed: the MAC field's change notices are
    // then the dialog's own.
    bool pushing_ = false;
};

}  // namespace meru
