#include "Win32OverlappedEvents.h"

#include <windows.h>

namespace meru {

EventRef Win32OverlappedEvents::Create() {
    // Unnamed, auto-reset, initially not signalled.
    return CreateEventA(nullptr, FALSE, FALSE, nullptr);
}

void Win32OverlappedEvents::Reset(EventRef event) {
    if (event != nullptr) ResetEvent(event);
}

void Win32OverlappedEvents::Close(EventRef event) {
    if (event != nullptr) CloseHandle(event);
}

}  // namespace meru
