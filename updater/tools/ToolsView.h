#pragma once

#include <string>

#include "tools/PdaEditForm.h"

namespace meru {

// What the text window (dialog 144) shows: a read-only rich text, the
// captions of its two buttons and its title.
struct InfoWindowContent {
    std::string title = "Update Information";
    std::string text;
    std::string okCaption = "OK";
    std::string cancelCaption = "CANCEL";
    bool okEnabled = true;
};

// The text window as the tools use it: both buttons "Close".
inline InfoWindowContent ClosableInfoWindow(const std::string& title, const std::string& text) {
    InfoWindowContent content;
    content.title = title;
    content.text = text;
    content.okCaption = "Close";
    content.cancelCaption = "Close";
    return content;
}

// The two forms a flash dump can be saved in, in the order of the save
// dialog's filter.
enum class DumpFormat { kSRecord, kTextDump };

// The save dialog of the flash dump: its filter (the chosen entry decides
// the format) and default extension.
constexpr const char kDumpFileFilter[] = "Hex File (*.hex)|*.hex|Text Dump (*.dmp)|*.dmp|";
constexpr const char kDumpDefaultExtension[] = "hex";

// The dialogs the maintenance tools open besides message boxes. The Win32
// shell implements it with dialogs 139 and 144 and the save dialog, all
// modal and owned by the main window; tests script it.
class ToolsView {
public:
    virtual ~ToolsView() = default;

    // Dialog 144, centred on the mouse pointer, its Clipboard button copying
    // the whole text. True when it ended with button 1 (OK), false otherwise.
    virtual bool ShowInfoWindow(const InfoWindowContent& content) = 0;
    // Dialog 139 "View / Modify PDA Settings" over `fields`, which hold the
    // initial texts and receive the accepted ones. The dialog reformats the
    // MAC text as typed with PdaEditForm::OnMacTextChanged and asks
    // PdaEditForm::Accept before it ends with OK. False when cancelled
    // (fields then unchanged).
    virtual bool AskMacAndSerial(PdaEditFields& fields) = 0;
    // The save dialog with kDumpFileFilter and kDumpDefaultExtension,
    // proposing `proposedName` as the file name (none when empty), the
    // read-only box hidden, asking before an existing file is replaced.
    // False when cancelled.
    virtual bool AskDumpFile(const std::string& proposedName, std::string& path, DumpFormat& format) = 0;
};

}  // namespace meru
