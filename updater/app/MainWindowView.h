#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/ReportBox.h"
#include "card/ProgressBar.h"

namespace meru {

// Text colours of the status box, as Windows colour values.
constexpr uint32_t kColourBlack = 0x000000;
constexpr uint32_t kColourRed = 0x0000FF;

// The eight edit fields of the Adapter Information grid.
enum class GridField {
    kCurrentPrimaryRevision,
    kCurrentPrimaryFile,
    kCurrentStationRevision,
    kCurrentStationFile,
    kAfterPrimaryRevision,
    kAfterPrimaryFile,
    kAfterStationRevision,
    kAfterStationFile,
};
constexpr int kGridFieldCount = 8;

enum class Cursor { kArrow, kWait };

// The texts and switches the main window exchanges with its hidden
// controls whenever it pushes its state into them.
struct DisplayTexts {
    std::string pdaMac;
    std::string serialNumber;
    std::string adapterMac;
    std::string adapterName;
    std::string version;
    bool forceAllBlocks = false;
    bool verifyDownloads = false;
};

// One entry of the file list as the list view shows it: the image index is
// the file type code, the item data the resource id.
struct FileListRow {
    std::string description;
    std::string path;
    int typeCode = 1;
    unsigned resourceId = 0;
};

// The progress window of a quiet programming run (dialog 130): three lines
// of text and a progress bar. Destroyed with the object.
class ProgressWindowView {
public:
    virtual ~ProgressWindowView() = default;
    virtual void CentreAndShow() = 0;
    virtual void SetLines(const std::string& progress, const std::string& adapter, const std::string& firmware) = 0;
    // Paints the window and its first line at once (no message loop runs
    // while the card is written).
    virtual void PaintNow() = 0;
    virtual ProgressBar& Bar() = 0;
};

// What the main window (dialog 102) can show or ask. The Win32 dialog
// implements it over its controls; tests record it.
class MainWindowView {
public:
    virtual ~MainWindowView() = default;

    // Owner of the window's message boxes.
    virtual WindowRef Owner() = 0;

    virtual void SetTitle(const std::string& title) = 0;
    virtual void SetStatusText(const std::string& text) = 0;
    virtual void SetStatusColour(uint32_t colour) = 0;
    virtual void SetCautionText(const std::string& text) = 0;
    // The status and caution boxes and their frames take the boxes' own font.
    virtual void UseBoxFont() = 0;
    virtual void SetGridField(GridField field, const std::string& text) = 0;
    // The After Programming column: its four fields and three headings.
    virtual void ShowAfterProgrammingColumn(bool shown) = 0;
    virtual void ShowCautionGroup(bool shown) = 0;

    virtual void SetContinueText(const std::string& text) = 0;
    virtual void EnableContinue(bool enabled) = 0;
    virtual void SetCancelText(const std::string& text) = 0;
    virtual void EnableCancel(bool enabled) = 0;
    virtual void FocusCancel() = 0;

    virtual void ShowProgressBar(bool shown) = 0;
    virtual ProgressBar& MainProgressBar() = 0;
    virtual void SetCursor(Cursor cursor) = 0;

    virtual void ShowWindow(bool shown) = 0;
    virtual void EnableWindow(bool enabled) = 0;
    // Repaints the whole window at once.
    virtual void RepaintNow() = 0;

    // Data exchange with the hidden text fields and check boxes.
    virtual void PushDisplayTexts(const DisplayTexts& texts) = 0;
    virtual void ShowAdapterNameField(bool shown) = 0;
    // The hidden adapter list box and file list view mirror the controller's lists.
    virtual void ShowAdapterList(const std::vector<std::string>& names, int selected) = 0;
    virtual void ShowFileList(const std::vector<FileListRow>& rows) = 0;

    // Dialogs. AskFileToAdd: the file-open dialog of the add-file command;
    // false when the user cancelled.
    virtual void ShowAboutBox() = 0;
    virtual bool AskFileToAdd(std::string& path) = 0;
    virtual std::unique_ptr<ProgressWindowView> CreateProgressWindow() = 0;
    // Ends the modal dialog: OK (exit code 0) or Cancel (exit code 1).
    virtual void EndDialog(bool ok) = 0;
};

}  // namespace meru
