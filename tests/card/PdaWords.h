#pragma once

#include <cstdint>
#include <vector>

#include "image/Pda.h"

namespace cardtest {

// A production data area as the card stores it: records, then the end
// record with the check value of everything before it.
inline std::vector<uint16_t> PdaStream(const std::vector<std::vector<uint16_t>>& records) {
    std::vector<uint16_t> words;
    for (const auto& record : records) words.insert(words.end(), record.begin(), record.end());
    words.push_back(0x0002);
    words.push_back(0x0000);
    words.push_back(meru::Crc16ArcWords(words.data(), words.size()));
    return words;
}

inline std::vector<uint8_t> WordBytes(const std::vector<uint16_t>& words) {
    std::vector<uint8_t> bytes;
    for (uint16_t word : words) {
        bytes.push_back(static_cast<uint8_t>(word));
        bytes.push_back(static_cast<uint8_t>(word >> 8));
    }
    return bytes;
}

}  // namespace cardtest
