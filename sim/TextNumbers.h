#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace sim {

// Numbers in the software card's texts (state file, command line): decimal,
// or hexadecimal with a 0x prefix. False when the text is not such a number
// or does not fit 32 bits.
bool ParseNumber(const std::string& text, uint32_t& value);
// The same, limited to `maximum`.
bool ParseNumber(const std::string& text, uint32_t maximum, uint32_t& value);
// A 64-bit count.
bool ParseCount(const std::string& text, uint64_t& value);

// "0x" and upper-case hexadecimal digits, at least `digits` of them.
std::string HexText(uint32_t value, int digits = 4);

// Bytes as pairs of upper-case hexadecimal digits, appended to `text`.
void AppendHexBytes(std::string& text, const uint8_t* bytes, size_t count);
// `count` bytes from 2 * `count` hexadecimal digits (either case); false,
// with `bytes` partly filled, when one is not a hexadecimal digit.
bool ParseHexBytes(const char* digits, size_t count, uint8_t* bytes);

// A MAC address as six two-digit hexadecimal numbers joined by "-".
std::string MacAddressText(const std::array<uint8_t, 6>& mac);
bool ParseMacAddress(const std::string& text, std::array<uint8_t, 6>& mac);

// The pieces between runs of the `separators` characters; no empty pieces.
std::vector<std::string> SplitAt(const std::string& text, const char* separators);
// Splits at runs of spaces and tabs.
inline std::vector<std::string> SplitWords(const std::string& line) { return SplitAt(line, " \t"); }

}  // namespace sim
