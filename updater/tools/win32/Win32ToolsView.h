#pragma once

#include <windows.h>

#include "tools/ToolsView.h"

namespace meru {

// The tools' dialogs over the main window: the text window (dialog 144),
// the PDA settings (dialog 139) and the save dialog of the flash dump.
class Win32ToolsView : public ToolsView {
public:
    Win32ToolsView(HWND owner, HINSTANCE instance) : owner_(owner), instance_(instance) {}

    bool ShowInfoWindow(const InfoWindowContent& content) override;
    bool AskMacAndSerial(PdaEditFields& fields) override;
    bool AskDumpFile(const std::string& proposedName, std::string& path, DumpFormat& format) override;

private:
    HWND owner_;
    HINSTANCE instance_;
};

}  // namespace meru
