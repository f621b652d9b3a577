#include "Win32MainWindow.h"

#include <commctrl.h>
#include <shellapi.h>

#include <exception>
#include <string>

#include "Win32MainWindowView.h"
#include "Win32System.h"
#include "Win32Tooltips.h"
#include "app/MainWindow.h"
#include "app/ResourceIds.h"
#include "app/SingleInstance.h"
#include "base/ProcessExit.h"
#include "base/ReportBox.h"
#include "card/win32/Kbw32n50Library.h"
#include "card/win32/Win32OverlappedEvents.h"
#include "card/win32/WindowsRegistry.h"
#include "tools/MaintenanceCommands.h"
#include "tools/win32/Win32RegistryWriter.h"
#include "tools/win32/Win32ToolsView.h"

namespace meru {

namespace {

// Dropped paths are read into buffers of this many characters.
constexpr UINT kDroppedPathCapacity = 250;
// Selected file-list entries taken by one right click.
// System commands at and above this value are the window system's own.
constexpr WPARAM kFirstSystemOwnedCommand = 0xF000;

// The program's path as the file association registers it: the first
// command-line argument, or the module's own file name without one.
std::string ProgramPath(const std::vector<std::string>& args) {
    if (!args.empty() && !args[0].empty()) return args[0];
    char path[MAX_PATH] = "";
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, length < MAX_PATH ? length : 0);
}

// The main window while its dialog exists: the Win32 bindings of every port,
// the maintenance tools and the controller over them.
class Win32MainWindow {
public:
    Win32MainWindow(HWND dialog, const MainWindowStart& start);
    ~Win32MainWindow();
    Win32MainWindow(const Win32MainWindow&) = delete;
    Win32MainWindow& operator=(const Win32MainWindow&) = delete;

    void Initialise();
    // True when the message was handled; `result` is the dialog procedure's return value.
    bool Handle(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result);

private:
    MainWindow::Ports Ports() { return {view_, system_, library_, registry_, events_}; }
    MaintenanceCommands::Ports ToolPorts(const MainWindowStart& start) {
        return {toolsView_, classesRoot_, library_, ProgramPath(start.args)};
    }
    void AddAboutToSystemMenu();
    void SetIcons();
    bool OnCommand(WPARAM wParam, LPARAM lParam);
    bool OnNotify(NMHDR* notification);
    void OnDropFiles(HDROP drop);
    bool PaintIconic();
    // Sets the value DefDlgProc returns for a message the procedure handled.
    void SetMessageResult(LRESULT value) { SetWindowLongPtrA(dialog_, DWLP_MSGRESULT, value); }

    HWND dialog_;
    HINSTANCE instance_;
    UINT handOverMessage_;
    HICON icon_;
    HICON smallIcon_;
    Win32MainWindowView view_;
    Win32System system_;
    Kbw32n50Library library_;
    WindowsRegistry registry_;
    Win32OverlappedEvents events_;
    Win32Tooltips tooltips_;
    Win32ToolsView toolsView_;
    Win32RegistryWriter classesRoot_;
    MaintenanceCommands tools_;
    MainWindow controller_;
};

Win32MainWindow::Win32MainWindow(HWND dialog, const MainWindowStart& start)
    : dialog_(dialog),
      instance_(start.instance),
      handOverMessage_(start.handOverMessage),
      icon_(LoadIconA(start.instance, MAKEINTRESOURCEA(IDI_MAIN))),
      smallIcon_(static_cast<HICON>(LoadImageA(start.instance, MAKEINTRESOURCEA(IDI_MAIN), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0))),
      view_(dialog, start.instance),
      tooltips_(dialog, start.instance),
      toolsView_(dialog, start.instance),
      tools_(ToolPorts(start)),
      controller_(Ports(), start.args) {
    controller_.SetTools(&tools_);
}

Win32MainWindow::~Win32MainWindow() {
    if (smallIcon_ != nullptr) DestroyIcon(smallIcon_);
}

// The window system's part of initialisation comes first; the controller
// then does the rest, from the library check on (a quiet session ends the
// dialog before Initialise returns).
void Win32MainWindow::Initialise() {
    AddAboutToSystemMenu();
    SetIcons();
    DragAcceptFiles(dialog_, FALSE);
    controller_.Initialise();
}

void Win32MainWindow::AddAboutToSystemMenu() {
    HMENU menu = GetSystemMenu(dialog_, FALSE);
    if (menu == nullptr) return;
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, IDM_ABOUT, "About MERU...");
}

void Win32MainWindow::SetIcons() {
    SendMessageA(dialog_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    SendMessageA(dialog_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_ ? smallIcon_ : icon_));
}

bool Win32MainWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
    result = TRUE;
    if (handOverMessage_ != 0 && message == handOverMessage_) {
        // Accepted; nothing else to do.
        SetMessageResult(TRUE);
        return true;
    }
    switch (message) {
    case WM_COMMAND:
        return OnCommand(wParam, lParam);
    case WM_SYSCOMMAND:
        if (wParam >= kFirstSystemOwnedCommand) return false;
        return controller_.OnSystemCommand(static_cast<int>(wParam));
    case WM_NOTIFY:
        return OnNotify(reinterpret_cast<NMHDR*>(lParam));
    case WM_COPYDATA: {
        const COPYDATASTRUCT* record = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (record != nullptr) controller_.OnHandedOverFile(HandedOverText(record->lpData, record->cbData));
        SetMessageResult(TRUE);
        return true;
    }
    case WM_DROPFILES:
        OnDropFiles(reinterpret_cast<HDROP>(wParam));
        return true;
    case WM_SETCURSOR:
        SetCursor(Win32MainWindowView::SystemCursor(controller_.CurrentCursor()));
        SetMessageResult(TRUE);
        return true;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC: {
        // These two return the brush itself rather than through DWLP_MSGRESULT.
        HBRUSH brush = view_.ControlColours(reinterpret_cast<HWND>(lParam), reinterpret_cast<HDC>(wParam));
        result = reinterpret_cast<INT_PTR>(brush);
        return brush != nullptr;
    }
    case WM_PAINT:
        return PaintIconic();
    case WM_QUERYDRAGICON:
        result = reinterpret_cast<INT_PTR>(icon_);
        return true;
    default:
        return false;
    }
}

bool Win32MainWindow::OnCommand(WPARAM wParam, LPARAM lParam) {
    const int id = LOWORD(wParam);
    const UINT code = HIWORD(wParam);
    HWND control = reinterpret_cast<HWND>(lParam);

    if (id == IDC_ADAPTER_LIST) {
        if (code != LBN_SELCHANGE) return false;
        controller_.OnAdapterListSelection(static_cast<int>(SendMessageA(control, LB_GETCURSEL, 0, 0)));
        return true;
    }
    // From a control only its click is a command (edits report focus and changes).
    if (control != nullptr && code != BN_CLICKED) return false;

    switch (id) {
    case IDC_FORCE_ALL_BLOCKS:
    case IDC_VERIFY_DOWNLOADS:
        controller_.OnCheckBoxes(IsDlgButtonChecked(dialog_, IDC_FORCE_ALL_BLOCKS) == BST_CHECKED,
                                 IsDlgButtonChecked(dialog_, IDC_VERIFY_DOWNLOADS) == BST_CHECKED);
        return true;
    case IDOK:
        controller_.OnOk();
        return true;
    case IDCANCEL:  // Escape, closing the window, the "Quit" button and the menu's "Exit"
        controller_.OnCancel();
        return true;
    default:  // the buttons (Cancel 1064 among them), the tools' menu ids, the add-file command
        controller_.OnCommand(id);
        return true;
    }
}

bool Win32MainWindow::OnNotify(NMHDR* notification) {
    if (notification == nullptr) return false;
    if (tooltips_.AnswerTextRequest(notification)) return true;
    HWND fileList = GetDlgItem(dialog_, IDC_FILE_LIST);
    if (notification->hwndFrom != fileList || notification->code != static_cast<UINT>(NM_RCLICK)) return false;

    std::vector<int> selected;
    int item = -1;
    for (;;) {  // every selected entry; the controller takes the first 20
        item = static_cast<int>(SendMessageA(fileList, LVM_GETNEXTITEM, static_cast<WPARAM>(item), LVNI_SELECTED));
        if (item < 0) break;
        selected.push_back(item);
    }
    controller_.OnFileListRightClick(selected);
    return true;
}

void Win32MainWindow::OnDropFiles(HDROP drop) {
    std::vector<std::string> paths;
    const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        char path[kDroppedPathCapacity];
        if (DragQueryFileA(drop, i, path, kDroppedPathCapacity) > 0) paths.emplace_back(path);
    }
    DragFinish(drop);
    controller_.OnFilesDropped(paths);
}

// While minimised the window draws its icon centred in the client area.
bool Win32MainWindow::PaintIconic() {
    if (!IsIconic(dialog_)) return false;
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(dialog_, &paint);
    SendMessageA(dialog_, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    GetClientRect(dialog_, &client);
    const int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(dc, x, y, icon_);
    EndPaint(dialog_, &paint);
    return true;
}

// An exception must not unwind through the window system's frames: the
// updater stops with a logged box instead.
[[noreturn]] void StopAfterInternalError(HWND dialog, const char* what) {
    const std::string text = std::string("MERU has stopped after an internal error: ") + what;
    ReportBox(dialog, text.c_str(), "Error", kBoxIconStop);
    EndProcess(1);
}

}  // namespace

INT_PTR CALLBACK MainWindowDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        if (message == WM_INITDIALOG) {
            const MainWindowStart& start = *reinterpret_cast<const MainWindowStart*>(lParam);
            Win32MainWindow* window = new Win32MainWindow(dialog, start);
            // Stored before Initialise: its repaints and boxes already come back here.
            SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(window));
            window->Initialise();
            return TRUE;
        }
        Win32MainWindow* window = reinterpret_cast<Win32MainWindow*>(GetWindowLongPtrA(dialog, DWLP_USER));
        if (window == nullptr) return FALSE;
        if (message == WM_NCDESTROY) {
            SetWindowLongPtrA(dialog, DWLP_USER, 0);
            delete window;
            return FALSE;
        }
        INT_PTR result = FALSE;
        return window->Handle(message, wParam, lParam, result) ? result : FALSE;
    } catch (const std::exception& error) {
        StopAfterInternalError(dialog, error.what());
    } catch (...) {
        StopAfterInternalError(dialog, "unknown exception");
    }
}

}  // namespace meru
