#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "support/WordBytes.h"

namespace imagetest {

// Writes an S-record line (no line end) with a correct count and checksum,
// so tests can state records by their content. addressDigits follows the
// type: 4 for S1/S9, 6 for S2/S8, 8 for S3/S7, 0 for S0/S5.
inline std::string SRecord(char type, uint32_t address, const std::vector<uint8_t>& data) {
    unsigned digits = 0;
    switch (type) {
    case '1': case '9': digits = 4; break;
    case '2': case '8': digits = 6; break;
    case '3': case '7': digits = 8; break;
    default: digits = 0; break;
    }
    std::vector<uint8_t> bytes;
    for (int shift = static_cast<int>(digits) * 4 - 8; shift >= 0; shift -= 8) {
        bytes.push_back(static_cast<uint8_t>(address >> shift));
    }
    bytes.insert(bytes.end(), data.begin(), data.end());
    const unsigned count = static_cast<unsigned>(bytes.size() + 1);
    unsigned sum = count;
    std::string line = "S";
    line += type;
    char hex[3];
    std::snprintf(hex, sizeof hex, "%02X", count & 0xFF);
    line += hex;
    for (uint8_t b : bytes) {
        std::snprintf(hex, sizeof hex, "%02X", b);
        line += hex;
        sum += b;
    }
    std::snprintf(hex, sizeof hex, "%02X", (~sum) & 0xFF);
    line += hex;
    return line;
}

inline std::string S3(uint32_t address, const std::vector<uint8_t>& data) { return SRecord('3', address, data); }
inline std::string S7(uint32_t address) { return SRecord('7', address, {}); }

using testsupport::WordBytes;

// 32-bit values as little-endian bytes.
inline std::vector<uint8_t> LongBytes(const std::vector<uint32_t>& values) {
    std::vector<uint8_t> bytes;
    for (uint32_t v : values) {
        for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }
    return bytes;
}

// A firmware info record at 0xFF200000: w0 is the number of words after it.
inline std::string InfoRecord(uint16_t type, const std::vector<uint16_t>& fields) {
    std::vector<uint16_t> words{static_cast<uint16_t>(fields.size() + 1), type};
    words.insert(words.end(), fields.begin(), fields.end());
    return S3(0xFF200000, WordBytes(words));
}

inline std::string PlugRecord(uint32_t code, uint32_t target, uint32_t length) {
    return S3(0xFF000000, LongBytes({code, target, length}));
}

inline std::string MarkerRecord(uint32_t region, uint32_t regionLength, uint32_t flag) {
    return S3(0xFF100000, LongBytes({region, regionLength, flag}));
}

inline std::vector<uint8_t> Bytes(size_t count, uint8_t first = 0) {
    std::vector<uint8_t> bytes(count);
    for (size_t i = 0; i < count; ++i) bytes[i] = static_cast<uint8_t>(first + i);
    return bytes;
}

}  // namespace imagetest
