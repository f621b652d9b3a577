#include "Crc16Arc.h"

namespace sim {

namespace {

uint16_t FeedByte(uint16_t crc, uint8_t byte) {
    crc ^= byte;
    for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) != 0 ? static_cast<uint16_t>((crc >> 1) ^ 0xA001) : crc >> 1;
    return crc;
}

}  // namespace

uint16_t Crc16ArcOfWords(const uint16_t* words, size_t count, uint16_t crc) {
    for (size_t i = 0; i < count; ++i) {
        crc = FeedByte(crc, static_cast<uint8_t>(words[i]));
        crc = FeedByte(crc, static_cast<uint8_t>(words[i] >> 8));
    }
    return crc;
}

}  // namespace sim
