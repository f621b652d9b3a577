#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace meru::driver {

// Lists of another process, told apart by class name: list views
// (SysListView32), list boxes (ListBox) and combo boxes (ComboBox).
// DriverFailure for any other control.

int ListItemCount(HWND control);

// Each item's texts: every column of a list view, the one string of a list
// box or combo box item.
std::vector<std::vector<std::string>> ListItems(HWND control);

}  // namespace meru::driver
