#pragma once

#include <cstddef>
#include <cstdint>

namespace meru {

// The buffer of one auxiliary-port transfer: 32-bit card address, 16-bit
// byte count, then the data. The request length is always count + 6.
struct AuxRecord {
    static constexpr size_t kSize = 2048;
    static constexpr size_t kHeaderSize = 6;
    static constexpr uint16_t kMaxData = kSize - kHeaderSize;  // 2042
    // Flash downloads never cross a multiple of this card address.
    static constexpr uint32_t kBlockBoundary = 0x10000;

    uint8_t bytes[kSize] = {};

    uint32_t Address() const {
        return static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
               (static_cast<uint32_t>(bytes[2]) << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
    }
    void SetAddress(uint32_t value) {
        for (int i = 0; i < 4; ++i) bytes[i] = static_cast<uint8_t>(value >> (8 * i));
    }
    uint16_t Count() const { return static_cast<uint16_t>(bytes[4] | (bytes[5] << 8)); }
    void SetCount(uint16_t value) {
        bytes[4] = static_cast<uint8_t>(value);
        bytes[5] = static_cast<uint8_t>(value >> 8);
    }
    // The request length for the current count.
    uint32_t RequestLength() const { return static_cast<uint32_t>(Count()) + kHeaderSize; }

    uint8_t* Data() { return bytes + kHeaderSize; }
    const uint8_t* Data() const { return bytes + kHeaderSize; }
};

}  // namespace meru
