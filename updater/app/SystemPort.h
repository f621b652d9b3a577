#pragma once

#include <cstdint>
#include <ctime>
#include <string>

namespace meru {

// What the updater asks of the operating system besides the card.
class SystemPort {
public:
    virtual ~SystemPort() = default;

    struct OsVersion {
        bool windowsNT = true;
        uint32_t major = 5;
    };
    // AC line status values of the power status.
    static constexpr uint8_t kAcOffline = 0;
    static constexpr uint8_t kAcOnline = 1;
    static constexpr uint8_t kAcUnknown = 255;

    virtual OsVersion Version() = 0;
    // False when the power status cannot be asked.
    virtual bool AcLineStatus(uint8_t& status) = 0;
    virtual std::tm LocalTime() = 0;
    virtual void Sleep(uint32_t milliseconds) = 0;
    // The computer's name, for the result record ("" when unknown).
    virtual std::string ComputerName() { return std::string(); }
};

}  // namespace meru
