#pragma once

#include <windows.h>

#include "tools/ToolsView.h"
#include "tools/win32/ModalDialog.h"

namespace meru {

// Dialog 144, the tools' text window: the content's text in a read-only
// rich edit (a plain edit where RichEdit 2.0 is missing), its title and
// button captions, and a Clipboard button that copies the whole text.
// Opens centred on the mouse pointer.
class Win32InfoWindow : public ModalDialog {
public:
    explicit Win32InfoWindow(const InfoWindowContent& content) : content_(content) {}
    ~Win32InfoWindow() override;

    // True when the window ended with button 1 (OK), false otherwise, also
    // when it could not be opened (logged).
    bool Show(HINSTANCE instance, HWND owner);

private:
    INT_PTR Handle(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) override;
    void Initialise(HWND dialog);
    void CopyWholeText(HWND dialog);

    const InfoWindowContent& content_;
    HINSTANCE instance_ = nullptr;
    HICON clipboardIcon_ = nullptr;
    bool richText_ = true;  // the text is in a rich edit, not a plain one
};

}  // namespace meru
