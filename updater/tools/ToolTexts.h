#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace meru {

// The texts the maintenance tools build from what they read off the card.

// A serialised PDA, one record a line ("\r\n" between lines, none at the
// end): each word in lower-case hexadecimal without leading zeros followed
// by a blank. A record's length word says where its line ends.
std::string PdaDisplayText(const uint16_t* words, size_t count);

// The CIS heading and its tuples, one a line: each byte in lower-case
// hexadecimal followed by a blank, until the end code 0xFF (shown alone on
// the last line) or the end of the bytes.
std::string CisDisplayText(const uint8_t* bytes, size_t count);

// "Version: %d.%2d.%2d" of the driver's version bits 16-31, 8-15, 0-7.
std::string DriverVersionText(uint32_t version);

// The MAC controller type as the "MAC ID:" box tells it.
std::string MacIdText(uint16_t macType);

}  // namespace meru
