#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "image/FirmwareImage.h"

namespace testsupport {

// The image's bytes at [address, address + length), read through the chunk
// walk; addresses the image does not hold read as 0xCC. Where blocks
// overlap, the later block wins, as it would on the card.
inline std::vector<uint8_t> ReadImageBytes(meru::FirmwareImage& image, uint32_t address, size_t length) {
    std::map<uint32_t, uint8_t> byAddress;
    image.Rewind();
    std::vector<uint8_t> chunk(0xFFFF);
    uint32_t start = 0;
    uint16_t count = 0;
    while (image.NextChunk(chunk.data(), start, count, 0xFFFF, 0)) {
        for (uint16_t i = 0; i < count; ++i) byAddress[start + i] = chunk[i];
    }
    std::vector<uint8_t> bytes(length, 0xCC);
    for (size_t i = 0; i < length; ++i) {
        auto found = byAddress.find(static_cast<uint32_t>(address + i));
        if (found != byAddress.end()) bytes[i] = found->second;
    }
    return bytes;
}

}  // namespace testsupport
