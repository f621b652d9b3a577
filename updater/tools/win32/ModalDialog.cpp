#include "ModalDialog.h"

namespace meru {

INT_PTR ModalDialog::Run(HINSTANCE instance, int templateId, HWND owner) {
    error_ = nullptr;
    const INT_PTR ended =
        DialogBoxParamA(instance, MAKEINTRESOURCEA(templateId), owner, Procedure, reinterpret_cast<LPARAM>(this));
    if (error_) std::rethrow_exception(error_);
    return ended;
}

INT_PTR CALLBACK ModalDialog::Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) SetWindowLongPtrA(dialog, DWLP_USER, lParam);
    ModalDialog* self = reinterpret_cast<ModalDialog*>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (self == nullptr) return FALSE;
    if (self->error_) return FALSE;  // ending after a failed handler: nothing more to do
    try {
        return self->Handle(dialog, message, wParam, lParam);
    } catch (...) {
        self->error_ = std::current_exception();
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
}

}  // namespace meru
