#include "ListContents.h"

#include <commctrl.h>

#include <cstddef>

#include "DriverErrors.h"
#include "RemoteMemory.h"
#include "TimedMessages.h"
#include "WindowFacts.h"

namespace meru::driver {

namespace {

enum class ListKind { kListView, kListBox, kComboBox };

// Longest list view text read, terminating zero included.
constexpr int kItemTextCapacity = 4096;

ListKind KindOf(HWND control) {
    if (ClassIs(control, WC_LISTVIEWA)) return ListKind::kListView;
    if (ClassIs(control, "ListBox")) return ListKind::kListBox;
    if (ClassIs(control, "ComboBox")) return ListKind::kComboBox;
    throw DriverFailure("control of class " + ClassNameOf(control) + " is not a list view, list box or combo box");
}

// UTF-16 text in the ANSI code page, like the texts of ControlText.
std::string AnsiFromWide(const wchar_t* text, int length) {
    if (length <= 0) return std::string();
    const int size = WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return std::string();
    std::string ansi(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, length, &ansi[0], size, nullptr, nullptr);
    return ansi;
}

int CountOf(HWND control, ListKind kind) {
    const UINT message =
        kind == ListKind::kListView ? LVM_GETITEMCOUNT : kind == ListKind::kListBox ? LB_GETCOUNT : CB_GETCOUNT;
    const LRESULT count = SendWithTimeLimit(control, message, 0, 0);
    if (count < 0) throw DriverFailure("the list did not tell its item count");
    return static_cast<int>(count);
}

int ListViewColumnCount(HWND listView) {
    HWND header = reinterpret_cast<HWND>(SendWithTimeLimit(listView, LVM_GETHEADER, 0, 0));
    if (header == nullptr) return 1;
    const LRESULT columns = SendWithTimeLimit(header, HDM_GETITEMCOUNT, 0, 0);
    return columns > 0 ? static_cast<int>(columns) : 1;
}

// LVM_GETITEMTEXT carries a pointer to an LVITEM whose pszText points to the
// buffer: both must live in the list view's process. The block holds the
// LVITEM followed by the text buffer.
constexpr size_t kTextOffset = sizeof(LVITEMA);

std::string ListViewText(HWND listView, RemoteMemory& block, int row, int column, std::vector<char>& text) {
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = static_cast<char*>(block.Address(kTextOffset));
    item.cchTextMax = kItemTextCapacity;
    block.Write(0, &item, sizeof item);
    const LRESULT length = SendWithTimeLimit(listView, LVM_GETITEMTEXTA, static_cast<WPARAM>(row),
                                             reinterpret_cast<LPARAM>(block.Address()));
    const size_t copied =
        length <= 0 ? 0 : static_cast<size_t>(length < kItemTextCapacity ? length : kItemTextCapacity - 1);
    if (copied > 0) block.Read(kTextOffset, text.data(), copied);
    return std::string(text.data(), copied);
}

std::vector<std::vector<std::string>> ListViewItems(HWND listView) {
    const int count = CountOf(listView, ListKind::kListView);
    const int columns = ListViewColumnCount(listView);
    RemoteMemory block(listView, kTextOffset + kItemTextCapacity);

    std::vector<std::vector<std::string>> items;
    std::vector<char> text(kItemTextCapacity);
    try {
        for (int row = 0; row < count; ++row) {
            std::vector<std::string> texts;
            for (int column = 0; column < columns; ++column) {
                texts.push_back(ListViewText(listView, block, row, column, text));
            }
            items.push_back(std::move(texts));
        }
    } catch (const DriverFailure&) {
        block.KeepAfterUse();
        throw;
    }
    return items;
}

// List boxes and combo boxes: Windows copies LB_GETTEXT and CB_GETLBTEXT
// across processes, as long as the items are strings. They are asked in
// UTF-16: under Wine the ANSI forms come back garbled across processes.
std::vector<std::vector<std::string>> StringListItems(HWND control, ListKind kind) {
    const bool listBox = kind == ListKind::kListBox;
    const LONG_PTR style = GetWindowLongPtrA(control, GWL_STYLE);
    const bool ownerDrawn = listBox ? (style & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)) != 0
                                    : (style & (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE)) != 0;
    const bool hasStrings = (style & (listBox ? LBS_HASSTRINGS : CBS_HASSTRINGS)) != 0;
    if (ownerDrawn && !hasStrings) throw DriverFailure("the list draws its items itself and keeps no strings");

    const UINT lengthMessage = listBox ? LB_GETTEXTLEN : CB_GETLBTEXTLEN;
    const UINT textMessage = listBox ? LB_GETTEXT : CB_GETLBTEXT;
    const int count = CountOf(control, kind);
    std::vector<std::vector<std::string>> items;
    for (int row = 0; row < count; ++row) {
        const LRESULT length = SendWithTimeLimit(control, lengthMessage, static_cast<WPARAM>(row), 0);
        if (length < 0) throw DriverFailure("item " + std::to_string(row) + " vanished while being read");
        std::vector<char> buffer((static_cast<size_t>(length) + 1) * sizeof(wchar_t), '\0');
        const LRESULT copied = SendForText(control, textMessage, static_cast<WPARAM>(row), buffer, true);
        const LRESULT kept = copied < 0 ? 0 : copied > length ? length : copied;
        items.push_back({AnsiFromWide(reinterpret_cast<const wchar_t*>(buffer.data()), static_cast<int>(kept))});
    }
    return items;
}

}  // namespace

int ListItemCount(HWND control) { return CountOf(control, KindOf(control)); }

std::vector<std::vector<std::string>> ListItems(HWND control) {
    const ListKind kind = KindOf(control);
    return kind == ListKind::kListView ? ListViewItems(control) : StringListItems(control, kind);
}

}  // namespace meru::driver
