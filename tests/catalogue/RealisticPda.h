#pragma once

#include <cstdint>
#include <vector>

#include "image/Pda.h"

namespace testsupport {

// The MAC address of RealisticPda: 00-60-B3-12-34-56.
const std::vector<uint8_t> kRealisticMac = {0x00, 0x60, 0xB3, 0x12, 0x34, 0x56};

// A production data area as a card leaves the factory: part number, record 2,
// serial number, platform, MAC address, domain and both calibration tables,
// each with the length the updater expects.
inline meru::Pda RealisticPda(uint16_t platformId) {
    meru::Pda pda;
    auto add = [&pda](std::vector<uint16_t> record) { pda.AddRecord(record.data()); };
    add({9, 0x0001, 'V' | 'X' << 8, '-' | '2' << 8, '0' | '0' << 8, '-' | '4' << 8, '1' | '7' << 8, 0, 0, 0});
    add({2, 0x0002, 0x0102});
    add({7, 0x0003, 'S' | 'N' << 8, '0' | '4' << 8, '2' | '1' << 8, '3' | '7' << 8, '7' | '5' << 8, '5' | '9' << 8});
    add({5, 0x0008, platformId, 1, 0, 0});
    add({4, 0x0101, 0x6000, 0x12B3, 0x5634});
    add({7, 0x0103, 0x0001, 0x0010, 0, 0, 0, 0});
    std::vector<uint16_t> setPoints = {31, 0x0900};
    for (uint16_t k = 0; k < 30; ++k) setPoints.push_back(static_cast<uint16_t>(0x0400 + 3 * k));
    add(setPoints);
    std::vector<uint16_t> integrators = {34, 0x0901};
    for (uint16_t k = 0; k < 33; ++k) integrators.push_back(static_cast<uint16_t>(0x0200 + 5 * k));
    add(integrators);
    return pda;
}

}  // namespace testsupport
