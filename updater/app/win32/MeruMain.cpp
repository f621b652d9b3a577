// Process entry of meru.exe.
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "../CommandLine.h"
#include "base/ReportBox.h"
#include "base/SessionLog.h"
#include "base/Settings.h"
#include "Win32MessageBox.h"
#include "image/ResourceSource.h"
#include "image/win32/Win32ResourceSource.h"

namespace {

std::vector<std::string> ProgramArguments() {
    std::vector<std::string> args;
    for (int i = 0; i < __argc; ++i) args.emplace_back(__argv[i]);
    return args;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    static meru::Win32MessageBox messageBoxes;
    meru::SetMessageBoxPort(&messageBoxes);
    static meru::Win32ResourceSource firmwareResources;
    meru::SetResourceSource(&firmwareResources);

    const std::vector<std::string> args = ProgramArguments();
    meru::Settings& settings = meru::TheSettings();
    settings.loggingEnabled = true;  // as the main window does when it starts to initialise

    // File arguments have no file list to go into until the main window exists.
    meru::ParseCommandLine(args, settings, [](const std::string&) {});

    meru::FlushAllOutput();
    return 0;
}
