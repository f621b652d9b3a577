#include "Win32PdaSettingsDialog.h"

#include <string>

#include "app/ResourceIds.h"
#include "base/SessionLog.h"

namespace meru {

namespace {

std::string EditText(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    const int length = GetWindowTextLengthA(control);
    if (length <= 0) return std::string();
    std::string text(static_cast<size_t>(length) + 1, '\0');
    const int copied = GetWindowTextA(control, &text[0], length + 1);
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}

// Sets the edit's text only when it differs, with the caret after its end.
void SetEditText(HWND dialog, int id, const std::string& text) {
    if (EditText(dialog, id) == text) return;
    HWND control = GetDlgItem(dialog, id);
    SetWindowTextA(control, text.c_str());
    const int end = GetWindowTextLengthA(control);
    SendMessageA(control, EM_SETSEL, end, end);
}

}  // namespace

bool Win32PdaSettingsDialog::Ask(HINSTANCE instance, HWND owner, PdaEditFields& accepted) {
    const INT_PTR ended = Run(instance, IDD_PDA_SETTINGS, owner);
    if (ended == -1) {
        LogPrintf("The PDA settings dialog could not be opened (%lu).\n", static_cast<unsigned long>(GetLastError()));
    }
    if (ended != IDOK) return false;
    accepted = fields_;
    return true;
}

INT_PTR Win32PdaSettingsDialog::Handle(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        SendDlgItemMessageA(dialog, IDC_PDA_SETTINGS_MAC, EM_LIMITTEXT, PdaEditFields::kMacLimit, 0);
        SendDlgItemMessageA(dialog, IDC_PDA_SETTINGS_SERIAL, EM_LIMITTEXT, PdaEditFields::kSerialLimit, 0);
        PushFields(dialog);
        return TRUE;
    }
    if (message != WM_COMMAND) return FALSE;

    switch (LOWORD(wParam)) {
    case IDC_PDA_SETTINGS_MAC:
        if (HIWORD(wParam) != EN_CHANGE) return FALSE;
        OnMacTextChanged(dialog);
        return TRUE;
    case IDOK:
        OnWriteToCard(dialog);
        return TRUE;
    case IDCANCEL:
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    default:
        return FALSE;
    }
}

void Win32PdaSettingsDialog::OnMacTextChanged(HWND dialog) {
    if (pushing_) return;
    PullFields(dialog);
    if (PdaEditForm::OnMacTextChanged(fields_)) PushFields(dialog);
}

// "Write to Card Now": the dialog ends only when the form accepts; otherwise
// the form has told the user why, in a box over this dialog.
void Win32PdaSettingsDialog::OnWriteToCard(HWND dialog) {
    PullFields(dialog);
    if (PdaEditForm::Accept(fields_, dialog, [&](const PdaEditFields&) { PushFields(dialog); })) {
        EndDialog(dialog, IDOK);
    }
}

void Win32PdaSettingsDialog::PullFields(HWND dialog) {
    fields_.macText = EditText(dialog, IDC_PDA_SETTINGS_MAC);
    fields_.serialText = EditText(dialog, IDC_PDA_SETTINGS_SERIAL);
    fields_.convertToUppercase = IsDlgButtonChecked(dialog, IDC_PDA_SETTINGS_UPPERCASE) == BST_CHECKED;
}

void Win32PdaSettingsDialog::PushFields(HWND dialog) {
    pushing_ = true;
    SetEditText(dialog, IDC_PDA_SETTINGS_MAC, fields_.macText);
    SetEditText(dialog, IDC_PDA_SETTINGS_SERIAL, fields_.serialText);
    CheckDlgButton(dialog, IDC_PDA_SETTINGS_UPPERCASE, fields_.convertToUppercase ? BST_CHECKED : BST_UNCHECKED);
    pushing_ = false;
}

}  // namespace meru
