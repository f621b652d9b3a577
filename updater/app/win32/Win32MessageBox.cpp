#include "Win32MessageBox.h"

#include <windows.h>

namespace meru {

int Win32MessageBox::Show(WindowRef owner, const char* text, const char* caption, unsigned type) {
    return MessageBoxA(static_cast<HWND>(owner), text, caption, type);
}

}  // namespace meru
