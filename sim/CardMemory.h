#pragma once

#include <cstdint>
#include <vector>

#include "CardState.h"

namespace sim {

// The card's memory as the aux port and the downloads see it: card
// addresses, decoded by the card (MAC type 1 ignores address bits 17-18).
// Bit 31 must already be stripped.

// True when [address, address + count) lies in the card's address space.
bool InCardSpace(const CardState& card, uint32_t address, uint32_t count);
uint8_t ReadCardByte(const CardState& card, uint32_t address);
std::vector<uint8_t> ReadCardBytes(const CardState& card, uint32_t address, uint32_t count);
// False (nothing written) when the range leaves the address space.
bool WriteCardBytes(CardState& card, uint32_t address, const uint8_t* data, uint32_t count);
bool WriteCardBytes(CardState& card, uint32_t address, const std::vector<uint8_t>& data);
// The same for 16-bit little-endian words.
std::vector<uint16_t> ReadCardWords(const CardState& card, uint32_t address, uint32_t count);
bool WriteCardWords(CardState& card, uint32_t address, const std::vector<uint16_t>& words);

// Sets the MAC type and sizes the flash to match (pages beyond are dropped).
void SetMacType(CardState& card, uint16_t macType);

}  // namespace sim
