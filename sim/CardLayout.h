#pragma once

#include <cstdint>

namespace sim {

// Where things live on a card of a given MAC controller type, and how the
// card decodes the addresses it is given.
struct CardLayout {
    bool known = false;               // MAC type 1 or 2
    uint32_t flashBytes = 0;          // size of the address space
    uint32_t pdaAddress = 0;
    uint32_t cisAddress = 0;
    uint32_t dumpAddress = 0;
    uint32_t primaryBase = 0;         // where a primary image starts
    uint32_t stationBase = 0;         // where a station image starts
    uint32_t preparationAddress = 0;  // target of the download-preparation write
};

constexpr uint32_t kPdaBytes = 1024;
constexpr uint32_t kCisBytes = 512;
// Inside an image: the identity block and the file-name area.
constexpr uint32_t kIdentityBlockOffset = 0x40;
constexpr uint32_t kIdentityBlockBytes = 24;
constexpr uint32_t kFileNameAreaOffset = 0x60;
constexpr uint32_t kFileNameAreaBytes = 20;

// The layout of MAC type 1 (MX100) and 2 (MX200). A card of any other type
// is wired like type 2, but `known` is false: the updater cannot use it.
CardLayout LayoutFor(uint16_t macType);

// The flash address a card address (bit 31 already stripped) is stored at:
// the MX100 does not decode address bits 17 and 18.
uint32_t StorageAddress(uint16_t macType, uint32_t address);

}  // namespace sim
