#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "CardState.h"

namespace sim {

// How a fresh card leaves the factory. The defaults make a realistic card.
struct FactoryOptions {
    std::string serialNumber = "99SA00012345";  // at most 12 characters
    std::array<uint8_t, 6> macAddress = {0x00, 0x60, 0x1D, 0x12, 0x34, 0x56};
    uint8_t domainCode = 0x10;
    bool platformRecord = true;  // false: a PDA without record 0x0008
    std::string deviceName;  // empty: serves any VELOX adapter
    uint32_t driverVersion = 0x00070103;
    std::string vendorDescription = "VELOX 11 Mbit/s Wireless LAN PC Card";
    FactoryFirmware primary = DefaultPrimary();
    FactoryFirmware station = DefaultStation();

    static FactoryFirmware DefaultPrimary();
    static FactoryFirmware DefaultStation();
};

// A fresh card of the MAC type (1 or 2; others are built like 2) for a
// platform: production data area with a correct check value, CIS, records.
CardState MakeFactoryCard(uint16_t macType, uint16_t platformId, const FactoryOptions& options = {});

// The production data words of a fresh card, end record included.
std::vector<uint16_t> FactoryPdaWords(uint16_t platformId, const FactoryOptions& options);
// The 512-byte card information structure of a fresh card.
std::vector<uint8_t> FactoryCis(uint16_t macType, const FactoryOptions& options);

}  // namespace sim
