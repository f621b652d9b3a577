#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "CardLayout.h"
#include "CardState.h"

namespace sim {

// A firmware image announces itself with a 24-byte identity block at image
// base + 0x40 (little-endian): "VXID", component id, variant, major, minor,
// supplier interface id, supplier variant, supplier range bottom and top,
// four zero bytes. Its file name sits in the 20 bytes at image base + 0x60.

constexpr uint16_t kPrimaryComponentId = 21;
constexpr uint16_t kStationComponentId = 31;
constexpr uint16_t kPrimaryInterfaceId = 3;
constexpr uint16_t kStationInterfaceId = 4;

std::array<uint8_t, kIdentityBlockBytes> EncodeIdentityBlock(const IdentityBlock& block);
// The block at image base + 0x40 when it starts with "VXID".
std::optional<IdentityBlock> ReadIdentityBlock(const CardState& card, uint32_t imageBase);
// The name in the file-name area: its bytes up to the first 0x00 or 0xFF
// (empty when the area is blank or erased).
std::string ReadFileNameArea(const CardState& card, uint32_t imageBase);

enum class Component { kPrimary, kStation };

// What the card reports for a component: identity and supplier range from
// the identity block in flash when there is one, the file name from the
// file-name area when it is not blank, the factory values otherwise.
FactoryFirmware ReportedFirmware(const CardState& card, Component component);

}  // namespace sim
