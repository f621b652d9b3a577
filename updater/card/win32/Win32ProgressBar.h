#pragma once

#include <windows.h>

#include "card/ProgressBar.h"

namespace meru {

// A common-controls progress bar window.
class Win32ProgressBar : public ProgressBar {
public:
    explicit Win32ProgressBar(HWND control) : control_(control) {}
    void Send(unsigned message, uintptr_t wParam, intptr_t lParam) override {
        SendMessageA(control_, message, static_cast<WPARAM>(wParam), static_cast<LPARAM>(lParam));
    }

private:
    HWND control_;
};

}  // namespace meru
