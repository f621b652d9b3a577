#pragma once

#include "app/SystemPort.h"

namespace meru {

// The operating system's version, power status, clock, sleep and the
// computer's name.
class Win32System : public SystemPort {
public:
    OsVersion Version() override;
    bool AcLineStatus(uint8_t& status) override;
    std::tm LocalTime() override;
    void Sleep(uint32_t milliseconds) override;
    std::string ComputerName() override;
};

}  // namespace meru
