#pragma once

#include <cstdint>

namespace meru {

// An event handle as the system gives it (a HANDLE on Windows).
using EventRef = void*;

// The overlapped block passed with every request. It has the layout of the
// Windows OVERLAPPED structure (five 32-bit words in a 32-bit build), the
// event handle last; the library only ever sees its address.
struct OverlappedBlock {
    uintptr_t internal = 0;
    uintptr_t internalHigh = 0;
    uint32_t offset = 0;
    uint32_t offsetHigh = 0;
    EventRef event = nullptr;
};

// The system's events, as far as the overlapped block needs them.
class OverlappedEvents {
public:
    virtual ~OverlappedEvents() = default;
    // An unnamed, auto-reset, initially non-signalled event; nullptr on failure.
    virtual EventRef Create() = 0;
    virtual void Reset(EventRef event) = 0;
    virtual void Close(EventRef event) = 0;
};

}  // namespace meru
