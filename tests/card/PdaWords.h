#pragma once

#include <cstdint>
#include <vector>

#include "image/Pda.h"
#include "support/WordBytes.h"

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

using testsupport::WordBytes;

}  // namespace cardtest
