#pragma once

#include <windows.h>
#include <commctrl.h>

#include "app/MainWindowView.h"
#include "card/win32/Win32ProgressBar.h"

namespace meru {

// The main window's view over the controls of dialog 102. It also keeps
// what the dialog procedure draws from: the status colour, the boxes'
// background brush and font.
class Win32MainWindowView : public MainWindowView {
public:
    Win32MainWindowView(HWND dialog, HINSTANCE instance);
    ~Win32MainWindowView() override;
    Win32MainWindowView(const Win32MainWindowView&) = delete;
    Win32MainWindowView& operator=(const Win32MainWindowView&) = delete;

    WindowRef Owner() override { return dialog_; }

    void SetTitle(const std::string& title) override;
    void SetStatusText(const std::string& text) override;
    void SetStatusColour(uint32_t colour) override;
    void SetCautionText(const std::string& text) override;
    void SetGridField(GridField field, const std::string& text) override;
    void ShowAfterProgrammingColumn(bool shown) override;
    void ShowCautionGroup(bool shown) override;

    void SetContinueText(const std::string& text) override;
    void EnableContinue(bool enabled) override;
    void SetCancelText(const std::string& text) override;
    void EnableCancel(bool enabled) override;
    void FocusCancel() override;

    void ShowProgressBar(bool shown) override;
    ProgressBar& MainProgressBar() override { return progressBar_; }
    void SetCursor(Cursor cursor) override;

    void ShowWindow(bool shown) override;
    void EnableWindow(bool enabled) override;
    void RepaintNow() override;

    void PushDisplayTexts(const DisplayTexts& texts) override;
    void ShowAdapterNameField(bool shown) override;
    void ShowAdapterList(const std::vector<std::string>& names, int selected) override;
    void ShowFileList(const std::vector<FileListRow>& rows) override;

    void ShowAboutBox() override;
    bool AskFileToAdd(std::string& path) override;
    std::unique_ptr<ProgressWindowView> CreateProgressWindow() override;
    void EndDialog(bool ok) override;

    // Gives the status and caution boxes and their group boxes the Arial
    // 9.9-point font (once).
    void UseBoxFont() override;
    // WM_CTLCOLOR* of a child control: the brush to paint it with after
    // setting the colours into `dc`, or nullptr when the control keeps the
    // dialog's colours.
    HBRUSH ControlColours(HWND control, HDC dc);
    // The system cursor of the arrow (32512) or the wait cursor (32514).
    static HCURSOR SystemCursor(Cursor cursor);

private:
    HWND Control(int id) const { return GetDlgItem(dialog_, id); }
    void ShowControl(int id, bool shown);
    void SetUpFileList();

    HWND dialog_;
    HINSTANCE instance_;
    Win32ProgressBar progressBar_;
    uint32_t statusColour_ = kColourBlack;
    HBRUSH boxBrush_ = nullptr;
    HFONT boxFont_ = nullptr;
    HIMAGELIST sharedImages_ = nullptr;  // destroyed here only if the list view shares it
};

}  // namespace meru
