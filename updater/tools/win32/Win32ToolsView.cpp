#include "Win32ToolsView.h"

#include <commdlg.h>

#include <algorithm>

#include "tools/win32/Win32InfoWindow.h"
#include "tools/win32/Win32PdaSettingsDialog.h"

namespace meru {

namespace {

constexpr DWORD kPathCapacity = MAX_PATH;

// The save dialog's filter as the API takes it: NUL instead of '|', the
// last entry followed by a second NUL (the one std::string keeps after it).
std::string ApiFilter(const char* filter) {
    std::string converted(filter);
    std::replace(converted.begin(), converted.end(), '|', '\0');
    return converted;
}

// The filter entry the user chose, counted from 1 in kDumpFileFilter's order.
DumpFormat FormatOfFilter(DWORD filterIndex) {
    return filterIndex == 2 ? DumpFormat::kTextDump : DumpFormat::kSRecord;
}

}  // namespace

bool Win32ToolsView::ShowInfoWindow(const InfoWindowContent& content) {
    return Win32InfoWindow(content).Show(instance_, owner_);
}

bool Win32ToolsView::AskMacAndSerial(PdaEditFields& fields) {
    return Win32PdaSettingsDialog(fields).Ask(instance_, owner_, fields);
}

bool Win32ToolsView::AskDumpFile(const std::string& proposedName, std::string& path, DumpFormat& format) {
    const std::string filter = ApiFilter(kDumpFileFilter);
    char file[kPathCapacity] = "";
    proposedName.copy(file, kPathCapacity - 1);

    OPENFILENAMEA request = {};
    // The size every Windows version of the family accepts.
    request.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    request.hwndOwner = owner_;
    request.lpstrFilter = filter.c_str();
    request.nFilterIndex = 1;
    request.lpstrFile = file;
    request.nMaxFile = kPathCapacity;
    request.lpstrDefExt = kDumpDefaultExtension;
    request.Flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
    if (!GetSaveFileNameA(&request)) return false;
    path = file;
    format = FormatOfFilter(request.nFilterIndex);
    return true;
}

}  // namespace meru
