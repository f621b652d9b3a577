#pragma once

#include <windows.h>

#include <string>

#include "app/MainWindowView.h"
#include "card/win32/Win32ProgressBar.h"

namespace meru {

// The progress window of a quiet programming run: a modeless dialog 130
// owned by the main window, created hidden and destroyed with the object.
class Win32ProgressWindow : public ProgressWindowView {
public:
    // `window` is the created dialog (not null).
    explicit Win32ProgressWindow(HWND window);
    ~Win32ProgressWindow() override;
    Win32ProgressWindow(const Win32ProgressWindow&) = delete;
    Win32ProgressWindow& operator=(const Win32ProgressWindow&) = delete;

    // Creates dialog 130; nullptr when the template cannot be made into a window.
    static std::unique_ptr<Win32ProgressWindow> Create(HINSTANCE instance, HWND owner);

    void CentreAndShow() override;
    void SetLines(const std::string& progress, const std::string& adapter, const std::string& firmware) override;
    void PaintNow() override;
    ProgressBar& Bar() override { return bar_; }

private:
    HWND window_;
    Win32ProgressBar bar_;
};

}  // namespace meru
