#include "Win32MainWindowView.h"

#include <commdlg.h>

#include "Win32ProgressWindow.h"
#include "app/ResourceIds.h"
#include "app/Version.h"

namespace meru {

namespace {

// The grid's edit fields, in the order of GridField.
const int kGridControls[kGridFieldCount] = {
    IDC_CURRENT_PRIMARY_REVISION, IDC_CURRENT_PRIMARY_FILE, IDC_CURRENT_STATION_REVISION,
    IDC_CURRENT_STATION_FILE,     IDC_AFTER_PRIMARY_REVISION, IDC_AFTER_PRIMARY_FILE,
    IDC_AFTER_STATION_REVISION,   IDC_AFTER_STATION_FILE,
};

const int kAfterProgrammingControls[] = {
    IDC_AFTER_LABEL,        IDC_AFTER_REVISION_LABEL, IDC_AFTER_FILENAME_LABEL, IDC_AFTER_PRIMARY_REVISION,
    IDC_AFTER_PRIMARY_FILE, IDC_AFTER_STATION_REVISION, IDC_AFTER_STATION_FILE,
};

const int kBoxFontControls[] = {IDC_STATUS, IDC_CAUTION, IDC_STATUS_GROUP, IDC_CAUTION_GROUP};

// The file list's image strip: five 16x16 images, black is transparent.
constexpr int kFileImageWidth = 16;
constexpr int kFileImageGrowth = 10;

// Paths are read into buffers of this many characters.
constexpr DWORD kPathCapacity = 250;

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        SetDlgItemTextA(dialog, IDC_ABOUT_TITLE, "VELOX Station Update");
        SetDlgItemTextA(dialog, IDC_ABOUT_VERSION, LongVersionText().c_str());
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            ::EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

}  // namespace

Win32MainWindowView::Win32MainWindowView(HWND dialog, HINSTANCE instance)
    : dialog_(dialog),
      instance_(instance),
      progressBar_(GetDlgItem(dialog, IDC_PROGRESS)),
      // The boxes' background: the system's colour with index 0 (the scroll-bar colour).
      boxBrush_(CreateSolidBrush(GetSysColor(COLOR_SCROLLBAR))) {
    SetUpFileList();
}

Win32MainWindowView::~Win32MainWindowView() {
    if (boxBrush_ != nullptr) DeleteObject(boxBrush_);
    if (boxFont_ != nullptr) DeleteObject(boxFont_);
    if (sharedImages_ != nullptr) ImageList_Destroy(sharedImages_);
}

void Win32MainWindowView::SetUpFileList() {
    HWND list = Control(IDC_FILE_LIST);
    if (list == nullptr) return;
    HIMAGELIST images = ImageList_LoadImageA(instance_, MAKEINTRESOURCEA(IDB_FILE_TYPES), kFileImageWidth,
                                             kFileImageGrowth, RGB(0, 0, 0), IMAGE_BITMAP, 0);
    if (images != nullptr) {
        SendMessageA(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images));
        // A list view destroys its image lists itself unless it shares them.
        if (GetWindowLongA(list, GWL_STYLE) & LVS_SHAREIMAGELISTS) sharedImages_ = images;
    }
    struct Column {
        const char* title;
        int width;
    };
    const Column columns[] = {{"Type / Version", 90}, {"File Path", 250}};
    for (int i = 0; i < 2; ++i) {
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.pszText = const_cast<char*>(columns[i].title);
        column.cx = columns[i].width;
        column.iSubItem = i;
        SendMessageA(list, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
    }
}

void Win32MainWindowView::ShowControl(int id, bool shown) { ::ShowWindow(Control(id), shown ? SW_SHOW : SW_HIDE); }

void Win32MainWindowView::SetTitle(const std::string& title) { SetWindowTextA(dialog_, title.c_str()); }

void Win32MainWindowView::SetStatusText(const std::string& text) { SetDlgItemTextA(dialog_, IDC_STATUS, text.c_str()); }

void Win32MainWindowView::SetStatusColour(uint32_t colour) {
    statusColour_ = colour;
    InvalidateRect(Control(IDC_STATUS), nullptr, TRUE);
}

void Win32MainWindowView::SetCautionText(const std::string& text) {
    SetDlgItemTextA(dialog_, IDC_CAUTION, text.c_str());
}

void Win32MainWindowView::SetGridField(GridField field, const std::string& text) {
    const int index = static_cast<int>(field);
    if (index < 0 || index >= kGridFieldCount) return;
    SetDlgItemTextA(dialog_, kGridControls[index], text.c_str());
}

void Win32MainWindowView::ShowAfterProgrammingColumn(bool shown) {
    for (int id : kAfterProgrammingControls) ShowControl(id, shown);
}

void Win32MainWindowView::ShowCautionGroup(bool shown) {
    ShowControl(IDC_CAUTION_GROUP, shown);
    ShowControl(IDC_CAUTION, shown);
}

void Win32MainWindowView::SetContinueText(const std::string& text) {
    SetDlgItemTextA(dialog_, IDC_CONTINUE, text.c_str());
}

void Win32MainWindowView::EnableContinue(bool enabled) { ::EnableWindow(Control(IDC_CONTINUE), enabled); }

void Win32MainWindowView::SetCancelText(const std::string& text) { SetDlgItemTextA(dialog_, IDC_CANCEL, text.c_str()); }

void Win32MainWindowView::EnableCancel(bool enabled) { ::EnableWindow(Control(IDC_CANCEL), enabled); }

void Win32MainWindowView::FocusCancel() {
    SendMessageA(dialog_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Control(IDC_CANCEL)), TRUE);
}

void Win32MainWindowView::ShowProgressBar(bool shown) { ShowControl(IDC_PROGRESS, shown); }

void Win32MainWindowView::SetCursor(Cursor cursor) {
    // WM_SETCURSOR shows the controller's cursor from now on; this shows it
    // at once, since programming keeps the thread from asking.
    ::SetCursor(SystemCursor(cursor));
}

HCURSOR Win32MainWindowView::SystemCursor(Cursor cursor) {
    return LoadCursorA(nullptr, cursor == Cursor::kWait ? MAKEINTRESOURCEA(32514) : MAKEINTRESOURCEA(32512));
}

void Win32MainWindowView::ShowWindow(bool shown) { ::ShowWindow(dialog_, shown ? SW_SHOW : SW_HIDE); }

void Win32MainWindowView::EnableWindow(bool enabled) { ::EnableWindow(dialog_, enabled); }

void Win32MainWindowView::RepaintNow() {
    RedrawWindow(dialog_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void Win32MainWindowView::PushDisplayTexts(const DisplayTexts& texts) {
    SetDlgItemTextA(dialog_, IDC_PDA_MAC, texts.pdaMac.c_str());
    SetDlgItemTextA(dialog_, IDC_SERIAL_NUMBER, texts.serialNumber.c_str());
    SetDlgItemTextA(dialog_, IDC_ADAPTER_MAC, texts.adapterMac.c_str());
    SetDlgItemTextA(dialog_, IDC_ADAPTER_NAME, texts.adapterName.c_str());
    SetDlgItemTextA(dialog_, IDC_VERSION, texts.version.c_str());
    CheckDlgButton(dialog_, IDC_FORCE_ALL_BLOCKS, texts.forceAllBlocks ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog_, IDC_VERIFY_DOWNLOADS, texts.verifyDownloads ? BST_CHECKED : BST_UNCHECKED);
}

void Win32MainWindowView::ShowAdapterNameField(bool shown) { ShowControl(IDC_ADAPTER_NAME, shown); }

void Win32MainWindowView::ShowAdapterList(const std::vector<std::string>& names, int selected) {
    HWND list = Control(IDC_ADAPTER_LIST);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (const std::string& name : names) SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

void Win32MainWindowView::ShowFileList(const std::vector<FileListRow>& rows) {
    HWND list = Control(IDC_FILE_LIST);
    SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
    int position = 0;
    for (const FileListRow& row : rows) {
        LVITEMA item = {};
        item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
        item.iItem = position;
        item.pszText = const_cast<char*>(row.description.c_str());
        item.iImage = row.typeCode;
        item.lParam = static_cast<LPARAM>(row.resourceId);
        const int inserted = static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
        if (inserted < 0) continue;
        LVITEMA path = {};
        path.iSubItem = 1;
        path.pszText = const_cast<char*>(row.path.c_str());
        SendMessageA(list, LVM_SETITEMTEXTA, static_cast<WPARAM>(inserted), reinterpret_cast<LPARAM>(&path));
        ++position;
    }
}

void Win32MainWindowView::ShowAboutBox() {
    DialogBoxParamA(instance_, MAKEINTRESOURCEA(IDD_ABOUT), dialog_, AboutDialogProc, 0);
}

bool Win32MainWindowView::AskFileToAdd(std::string& path) {
    char file[kPathCapacity] = "";
    OPENFILENAMEA request = {};
    // The size every Windows version of the family accepts.
    request.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    request.hwndOwner = dialog_;
    request.lpstrFilter = "Firmware (*.hex, *.pda)\0*.hex;*.pda\0All Files (*.*)\0*.*\0";
    request.lpstrFile = file;
    request.nMaxFile = kPathCapacity;
    request.lpstrDefExt = "hex";
    request.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!GetOpenFileNameA(&request)) return false;
    path = file;
    return true;
}

std::unique_ptr<ProgressWindowView> Win32MainWindowView::CreateProgressWindow() {
    return Win32ProgressWindow::Create(instance_, dialog_);
}

void Win32MainWindowView::EndDialog(bool ok) { ::EndDialog(dialog_, ok ? IDOK : IDCANCEL); }

void Win32MainWindowView::UseBoxFont() {
    if (boxFont_ != nullptr) return;
    HDC screen = GetDC(dialog_);
    const int height = -MulDiv(99, GetDeviceCaps(screen, LOGPIXELSY), 720);
    ReleaseDC(dialog_, screen);
    boxFont_ = CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, "Arial");
    if (boxFont_ == nullptr) return;
    for (int id : kBoxFontControls) SendMessageA(Control(id), WM_SETFONT, reinterpret_cast<WPARAM>(boxFont_), TRUE);
}

HBRUSH Win32MainWindowView::ControlColours(HWND control, HDC dc) {
    COLORREF text;
    switch (GetDlgCtrlID(control)) {
    case IDC_STATUS:
        text = statusColour_;
        break;
    case IDC_CAUTION:
        text = kColourRed;
        break;
    case IDC_STATUS_GROUP:
    case IDC_CAUTION_GROUP:
        text = GetSysColor(COLOR_BTNTEXT);
        break;
    default:
        return nullptr;
    }
    SetTextColor(dc, text);
    SetBkColor(dc, GetSysColor(COLOR_SCROLLBAR));
    return boxBrush_;
}

}  // namespace meru
