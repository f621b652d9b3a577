#pragma once

#include <cstdint>
#include <string>

namespace meru {

class Pda;

// The PDA codes the main window shows.
constexpr uint16_t kPdaPartNumber = 0x0001;
constexpr uint16_t kPdaSerialNumber = 0x0003;
constexpr uint16_t kPdaPlatform = 0x0008;
constexpr uint16_t kPdaMacAddress = 0x0101;
constexpr uint16_t kPdaInterfaceVersion = 0x0002;

// Six bytes as two upper-case hexadecimal digits each joined by "-".
std::string MacText(const uint8_t (&bytes)[6]);
// The MAC text of three words, each low byte first.
std::string MacTextOfWords(const uint16_t* words);
// The PDA's MAC address record (length word 4) as MAC text, else "".
std::string PdaMacText(const Pda& pda);
// A character record (length word above 2): its data words as characters,
// two a word, low byte first, up to the first NUL, non-printable characters
// as blanks; "" when the record is missing or too short.
std::string PdaCharacterText(const Pda& pda, uint16_t code);

}  // namespace meru
