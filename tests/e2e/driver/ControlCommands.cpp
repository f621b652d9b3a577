// Commands about a control of a window: read its text, its state, the items
// of a list; set its text as if typed.
#include <windows.h>

#include <string>
#include <vector>

#include "Commands.h"
#include "DriverErrors.h"
#include "ListContents.h"
#include "OneLineText.h"
#include "TimedMessages.h"
#include "WindowFacts.h"
#include "WindowLookup.h"
#include "Waiting.h"

namespace meru::driver {

namespace {

std::string StateLine(HWND control) { return std::string(VisibilityWord(control)) + " " + EnabledWord(control); }

bool IsStateWord(const std::string& word) {
    return word == "visible" || word == "hidden" || word == "enabled" || word == "disabled";
}

std::string ControlName(const CommandArguments& args) {
    return "control " + std::to_string(args.Id(1)) + " of \"" + args.Text(0) + "\"";
}

}  // namespace

void RunText(const CommandArguments& args) {
    PrintLine(OneLine(ControlText(RequireControl(args.Text(0), args.Id(1)).control)));
}

void RunDialogText(const CommandArguments& args) {
    PrintLine(OneLine(ControlText(RequireControl(args.Text(0), args.Id(1), "#32770").control)));
}

// Waits until the control's text, in its one-line form, contains the
// wanted part; prints the whole text.
void RunWaitText(const CommandArguments& args) {
    const std::string& wanted = args.Text(2);
    std::string text;
    bool read = false;
    try {
        WaitOrFail(args.Seconds(3), ControlName(args) + " does not show \"" + wanted + "\"", [&] {
            text = OneLine(ControlText(RequireControl(args.Text(0), args.Id(1)).control));
            read = true;
            return text.find(wanted) != std::string::npos;
        });
    } catch (const DriverFailure& failure) {
        throw DriverFailure(std::string(failure.what()) + (read ? "; it shows \"" + text + "\"" : ""));
    }
    PrintLine(text);
}

// WM_SETTEXT, which Windows copies across processes, then EN_CHANGE posted
// to the control's parent as an edit reports typing, so that the dialog
// reacts as to the user. An edit may already report the new text itself; a
// dialog that only looks at the text sees it twice and does nothing more.
void RunSetText(const CommandArguments& args) {
    const std::string& text = args.Text(2);
    HWND control = RequireControl(args.Text(0), args.Id(1)).control;
    std::vector<char> buffer(text.begin(), text.end());
    buffer.push_back('\0');
    if (!SendForText(control, WM_SETTEXT, 0, buffer, false)) {
        throw DriverFailure(ControlName(args) + " refused the text");
    }
    if (!PostMessageA(GetParent(control), WM_COMMAND, MAKEWPARAM(args.Id(1), EN_CHANGE),
                      reinterpret_cast<LPARAM>(control))) {
        throw DriverFailure("cannot post to the parent of " + ControlName(args) + " (error " +
                            std::to_string(GetLastError()) + ")");
    }
    PrintLine("set");
}

void RunState(const CommandArguments& args) { PrintLine(StateLine(RequireControl(args.Text(0), args.Id(1)).control)); }

// Waits until the control is visible, hidden, enabled or disabled; prints
// its state line then.
void RunWaitState(const CommandArguments& args) {
    const std::string& word = args.Text(2);
    if (!IsStateWord(word)) throw UsageError("state must be visible, hidden, enabled or disabled: \"" + word + "\"");
    std::string state;
    try {
        WaitOrFail(args.Seconds(3), ControlName(args) + " is not " + word, [&] {
            state = StateLine(RequireControl(args.Text(0), args.Id(1)).control);
            return (" " + state + " ").find(" " + word + " ") != std::string::npos;
        });
    } catch (const DriverFailure& failure) {
        throw DriverFailure(std::string(failure.what()) + (state.empty() ? "" : "; it is " + state));
    }
    PrintLine(state);
}

// "checked", "unchecked" or "indeterminate" for a check box or radio button.
void RunChecked(const CommandArguments& args) {
    HWND control = RequireControl(args.Text(0), args.Id(1)).control;
    if (!ClassIs(control, "Button")) {
        throw DriverFailure(ControlName(args) + " is of class " + ClassNameOf(control) + ", not a button");
    }
    const LRESULT check = SendWithTimeLimit(control, BM_GETCHECK, 0, 0);
    PrintLine(check == BST_CHECKED ? "checked" : check == BST_INDETERMINATE ? "indeterminate" : "unchecked");
}

void RunListCount(const CommandArguments& args) {
    PrintLine(std::to_string(ListItemCount(RequireControl(args.Text(0), args.Id(1)).control)));
}

// One line per item, the columns tab-separated (tabs inside a text show as \t).
void RunListItems(const CommandArguments& args) {
    for (const std::vector<std::string>& item : ListItems(RequireControl(args.Text(0), args.Id(1)).control)) {
        std::string line;
        for (size_t column = 0; column < item.size(); ++column) {
            if (column > 0) line += '\t';
            line += OneLine(item[column]);
        }
        PrintLine(line);
    }
}

}  // namespace meru::driver
