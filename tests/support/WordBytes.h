#pragma once

#include <cstdint>
#include <vector>

namespace testsupport {

// 16-bit words as little-endian bytes.
inline std::vector<uint8_t> WordBytes(const std::vector<uint16_t>& words) {
    std::vector<uint8_t> bytes;
    for (uint16_t word : words) {
        bytes.push_back(static_cast<uint8_t>(word));
        bytes.push_back(static_cast<uint8_t>(word >> 8));
    }
    return bytes;
}

}  // namespace testsupport
