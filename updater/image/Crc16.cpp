#include "Pda.h"

#include <array>

namespace meru {

namespace {

// Byte-at-a-time table for the reflected polynomial 0xA001 (0x8005 bit-reversed).
constexpr std::array<uint16_t, 256> MakeCrcTable() {
    std::array<uint16_t, 256> table{};
    for (unsigned value = 0; value < 256; ++value) {
        uint16_t crc = static_cast<uint16_t>(value);
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 1u) != 0 ? static_cast<uint16_t>((crc >> 1) ^ 0xA001u) : static_cast<uint16_t>(crc >> 1);
        }
        table[value] = crc;
    }
    return table;
}

constexpr std::array<uint16_t, 256> kCrcTable = MakeCrcTable();

inline uint16_t CrcStep(uint16_t crc, uint8_t byte) {
    return static_cast<uint16_t>((crc >> 8) ^ kCrcTable[(crc ^ byte) & 0xFFu]);
}

}  // namespace

uint16_t Crc16ArcBytes(const uint8_t* bytes, size_t count, uint16_t crc) {
    for (size_t i = 0; i < count; ++i) crc = CrcStep(crc, bytes[i]);
    return crc;
}

uint16_t Crc16ArcWords(const uint16_t* words, size_t count, uint16_t crc) {
    for (size_t i = 0; i < count; ++i) {
        crc = CrcStep(crc, static_cast<uint8_t>(words[i] & 0xFFu));
        crc = CrcStep(crc, static_cast<uint8_t>(words[i] >> 8));
    }
    return crc;
}

}  // namespace meru
