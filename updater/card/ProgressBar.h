#pragma once

#include <cstdint>

namespace meru {

// Progress-bar messages of the common controls, with their Windows values.
constexpr unsigned kProgressSetRange = 0x0401;  // PBM_SETRANGE: lParam = low | high << 16
constexpr unsigned kProgressSetPos = 0x0402;    // PBM_SETPOS: wParam = position

// A progress-bar control the flash programmer advances synchronously.
class ProgressBar {
public:
    virtual ~ProgressBar() = default;
    virtual void Send(unsigned message, uintptr_t wParam, intptr_t lParam) = 0;
};

}  // namespace meru
