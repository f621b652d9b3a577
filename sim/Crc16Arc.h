#pragma once

#include <cstddef>
#include <cstdint>

namespace sim {

// CRC-16/ARC (polynomial 0x8005 reflected, initial value 0, no final XOR)
// over 16-bit words, low byte first: the check value of a production data
// area.
uint16_t Crc16ArcOfWords(const uint16_t* words, size_t count, uint16_t crc = 0);

}  // namespace sim
