#pragma once

#include <windows.h>

#include <vector>

namespace meru::driver {

// Messages to windows of another process, with a time limit: a program that
// hangs makes the command fail after a few seconds instead of blocking it.
// SendMessageTimeout alone is not enough: Wine waits for the answer however
// long it takes, so the message goes out from a worker thread and the driver
// gives up on that thread when time is up (the process ends soon after).

// A message that carries no pointer, or only an address inside the other
// process (RemoteMemory); returns its result. DriverFailure when the window
// does not answer.
LRESULT SendWithTimeLimit(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// A message whose lParam is a text buffer that Windows copies across
// processes (WM_GETTEXT, LB_GETTEXT, CB_GETLBTEXT): `buffer` goes out as the
// buffer, its size as the capacity the caller announced, and comes back with
// the answer. `wide` sends the UTF-16 form of the message.
LRESULT SendForText(HWND window, UINT message, WPARAM wParam, std::vector<char>& buffer, bool wide);

}  // namespace meru::driver
