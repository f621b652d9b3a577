#include "Win32MainWindow.h"

#include <commctrl.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "app/MainWindow.h"
#include "app/ResourceIds.h"
#include "app/SingleInstance.h"

namespace meru {

namespace {

// System commands at and above this value are the window system's own.
constexpr WPARAM kFirstSystemOwnedCommand = 0xF000;

}  // namespace

Win32MainWindow::Win32MainWindow(HWND dialog, HINSTANCE instance, UINT handOverMessage, MainWindow& controller,
                                 Win32MainWindowView& view)
    : dialog_(dialog),
      handOverMessage_(handOverMessage),
      controller_(controller),
      view_(view),
      icon_(LoadIconA(instance, MAKEINTRESOURCEA(IDI_MAIN))),
      smallIcon_(static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(IDI_MAIN), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0))),
      tooltips_(dialog, instance) {}

Win32MainWindow::~Win32MainWindow() {
    if (smallIcon_ != nullptr) DestroyIcon(smallIcon_);
}

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
        // Read whole, so that the controller refuses a path too long for the
        // window instead of entering a shortened one.
        const UINT length = DragQueryFileA(drop, i, nullptr, 0);
        if (length == 0) continue;
        std::vector<char> path(static_cast<size_t>(length) + 1, '\0');
        if (DragQueryFileA(drop, i, path.data(), length + 1) > 0) paths.emplace_back(path.data());
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

}  // namespace meru
