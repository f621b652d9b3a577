// The clipboard as the program left it: what its copy commands put there.
#include <windows.h>

#include <string>

#include "Commands.h"
#include "DriverErrors.h"
#include "OneLineText.h"

namespace meru::driver {

namespace {

// Open for reading while it lives; another program may hold the clipboard
// for a moment, so opening is tried a few times.
class OpenClipboardForReading {
public:
    OpenClipboardForReading() {
        for (int attempt = 0; attempt < 20; ++attempt) {
            if (OpenClipboard(nullptr)) return;
            Sleep(50);
        }
        throw DriverFailure("cannot open the clipboard (error " + std::to_string(GetLastError()) + ")");
    }
    ~OpenClipboardForReading() { CloseClipboard(); }
    OpenClipboardForReading(const OpenClipboardForReading&) = delete;
    OpenClipboardForReading& operator=(const OpenClipboardForReading&) = delete;
};

}  // namespace

// The clipboard's text (CF_TEXT) on one line; DriverFailure when it holds none.
void RunClipboard(const CommandArguments&) {
    OpenClipboardForReading clipboard;
    HANDLE data = GetClipboardData(CF_TEXT);
    if (data == nullptr) throw DriverFailure("the clipboard holds no text");
    const char* text = static_cast<const char*>(GlobalLock(data));
    if (text == nullptr) throw DriverFailure("cannot read the clipboard's text");
    const std::string copied(text);
    GlobalUnlock(data);
    PrintLine(OneLine(copied));
}

}  // namespace meru::driver
