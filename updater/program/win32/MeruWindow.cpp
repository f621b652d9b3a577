#include "MeruWindow.h"

#include <string>

#include "app/MainWindow.h"
#include "app/win32/Win32MainWindow.h"
#include "app/win32/Win32MainWindowView.h"
#include "app/win32/Win32System.h"
#include "base/ProcessExit.h"
#include "base/ReportBox.h"
#include "base/win32/Win32SharedFile.h"
#include "card/win32/Kbw32n50Library.h"
#include "card/win32/Win32OverlappedEvents.h"
#include "card/win32/WindowsRegistry.h"
#include "tools/MaintenanceCommands.h"
#include "tools/win32/Win32RegistryWriter.h"
#include "tools/win32/Win32ToolsView.h"

namespace meru {

namespace {

// The program's path as the file association registers it: the first
// command-line argument, or the module's own file name without one.
std::string ProgramPath(const std::vector<std::string>& args) {
    if (!args.empty() && !args[0].empty()) return args[0];
    char path[MAX_PATH] = "";
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, length < MAX_PATH ? length : 0);
}

// The main window while its dialog exists: which part binds which port.
// The card layer's library, registry and events serve the controller, its
// result records go to a shared file; the tools share its library and get
// their own view and class registry; the dialog forwards to the controller.
class MeruWindow {
public:
    MeruWindow(HWND dialog, const MainWindowStart& start)
        : view_(dialog, start.instance),
          toolsView_(dialog, start.instance),
          tools_({toolsView_, classesRoot_, library_, ProgramPath(start.options.arguments)}),
          controller_({view_, system_, library_, registry_, events_}, start.options),
          dialog_(dialog, start.instance, start.handOverMessage, controller_, view_) {
        controller_.SetTools(&tools_);
        controller_.SetReportFile(&reportFile_);
    }
    MeruWindow(const MeruWindow&) = delete;
    MeruWindow& operator=(const MeruWindow&) = delete;

    Win32MainWindow& Dialog() { return dialog_; }

private:
    Win32MainWindowView view_;
    Win32System system_;
    Kbw32n50Library library_;
    WindowsRegistry registry_;
    Win32OverlappedEvents events_;
    Win32SharedFile reportFile_;
    Win32ToolsView toolsView_;
    Win32RegistryWriter classesRoot_;
    MaintenanceCommands tools_;
    MainWindow controller_;
    Win32MainWindow dialog_;
};

}  // namespace

INT_PTR CALLBACK MainWindowDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        const MainWindowStart& start = *reinterpret_cast<const MainWindowStart*>(lParam);
        MeruWindow* window = new MeruWindow(dialog, start);
        // Stored before Initialise: its repaints and boxes already come back here.
        SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(window));
        window->Dialog().Initialise();
        return TRUE;
    }
    MeruWindow* window = reinterpret_cast<MeruWindow*>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (window == nullptr) return FALSE;
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(dialog, DWLP_USER, 0);
        delete window;
        return FALSE;
    }
    INT_PTR result = FALSE;
    return window->Dialog().Handle(message, wParam, lParam, result) ? result : FALSE;
}

}  // namespace meru
