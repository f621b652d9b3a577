#include "CardLayout.h"

namespace sim {

namespace {

//                          known flash     PDA       CIS       dump      primary   station   preparation
constexpr CardLayout kMx100{true, 0x400000, 0x3F0000, 0x3EFE00, 0x3E0000, 0x3E0000, 0x100000, 0x1FEE66};
constexpr CardLayout kMx200{true, 0x800000, 0x7F0000, 0x7EFE00, 0x7E0000, 0x7E0000, 0x100000, 0x7FDE66};

}  // namespace

CardLayout LayoutFor(uint16_t macType) {
    if (macType == 1) return kMx100;
    CardLayout layout = kMx200;
    layout.known = macType == 2;
    return layout;
}

uint32_t StorageAddress(uint16_t macType, uint32_t address) {
    return macType == 1 ? (address & 0xFFF9FFFFu) : address;
}

}  // namespace sim
