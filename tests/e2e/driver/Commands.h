#pragma once

#include "CommandArguments.h"

namespace meru::driver {

// One function per command line command (MeruDriver.cpp lists them with
// their arguments). Each does one action and prints its result on
// standard output; failures throw DriverFailure, bad arguments UsageError.

// Top-level windows (WindowCommands.cpp).
void RunWaitWindow(const CommandArguments& args);
void RunWaitVisible(const CommandArguments& args);
void RunWaitGone(const CommandArguments& args);
void RunDialogWait(const CommandArguments& args);
void RunPid(const CommandArguments& args);
void RunFocus(const CommandArguments& args);
void RunControls(const CommandArguments& args);

// Controls of a window: read, or set as if typed (ControlCommands.cpp).
void RunText(const CommandArguments& args);
void RunDialogText(const CommandArguments& args);
void RunWaitText(const CommandArguments& args);
void RunState(const CommandArguments& args);
void RunWaitState(const CommandArguments& args);
void RunChecked(const CommandArguments& args);
void RunListCount(const CommandArguments& args);
void RunListItems(const CommandArguments& args);
void RunSetText(const CommandArguments& args);

// The clipboard's text (ClipboardCommands.cpp).
void RunClipboard(const CommandArguments& args);

// Posted messages: the driver never waits for the program to handle them,
// so a handler that opens a modal box cannot block it (PostCommands.cpp).
void RunCommand(const CommandArguments& args);
void RunSysCommand(const CommandArguments& args);
void RunClick(const CommandArguments& args);
void RunClose(const CommandArguments& args);

// Message boxes (BoxCommands.cpp).
void RunBoxWait(const CommandArguments& args);
void RunBoxButtons(const CommandArguments& args);
void RunBoxPress(const CommandArguments& args);

}  // namespace meru::driver
