#pragma once

#include "card/Overlapped.h"

namespace meru {

// Events of the overlapped block made with the Win32 event API.
class Win32OverlappedEvents : public OverlappedEvents {
public:
    EventRef Create() override;
    void Reset(EventRef event) override;
    void Close(EventRef event) override;
};

}  // namespace meru
