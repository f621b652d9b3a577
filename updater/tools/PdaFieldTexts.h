#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace meru {

// The MAC and serial number texts of the PDA tools: a MAC address as six
// bytes of two hexadecimal digits joined by "-", read from the three data
// words of PDA record 0x0101 (each low byte first); a serial number as up
// to 12 characters packed two a word into the six words of record 0x0003.

using MacWords = std::array<uint16_t, 3>;
using SerialWords = std::array<uint16_t, 6>;

enum class MacOutcome {
    kNotAMac,       // fewer than 12 hexadecimal digits, or not text at all
    kAccepted,
    kRefusedZero,   // "First octet of MAC address can't be zero!"
};

struct MacParse {
    MacOutcome outcome = MacOutcome::kNotAMac;
    MacWords words = {0, 0, 0};  // meaningful unless kNotAMac
};

// Reads the first 12 hexadecimal digits of `text` (either case; every
// other character is skipped, the text ends at a NUL or at a byte with the
// high bit set). A text shorter than 12 characters is not a MAC address.
// The zero test refuses an address whose first data word is 0, that is
// whose first two octets are both zero: real vendor prefixes begin with a
// zero octet (00-60-1D...), so only the all-zero prefix is refused.
MacParse ParseMacText(const std::string& text);

// The 17-character MAC text of three words, lower-case digits.
std::string FormatMacText(const MacWords& words);

// The live reformatting of the MAC field: when `text` reads as a MAC
// address (accepted or refused alike), the upper-case MAC text of its
// words; otherwise `text` as typed.
std::string ReformatMacText(const std::string& text);

// The first 12 characters of `text`, character 2k in the low byte of word
// k and 2k + 1 in its high byte; positions past the text are 0.
SerialWords PackSerialText(const std::string& text);

}  // namespace meru
