#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "image/Pda.h"

namespace meru {

// The production data area's words exactly as read from the card.
using PdaAreaWords = std::array<uint16_t, Pda::kMaxWords>;

// A PDA backup file: readable .pda text whose record lines hold the card's
// records and end record, word for word as read (duplicates included), when
// the area held a valid list, followed by
// all 512 words of the area as read, in comment lines with a check value
// of their own, so that the area can be put back word for word whatever
// it held. The header names the card's permanent address and the MAC
// address in its production data:
//
//   ; VELOX PDA backup
//   ; permanent address 00-60-1D-99-88-77
//   ; PDA MAC address 00-60-1D-12-34-56
//   ; 12 records, check value 0x5A3C (good)
//   0x0005, 0x0008, 0x0201, 0x0001, 0x0001, 0x0000
//   ...
//   ; area 0x0000: 0005 0008 0201 ...      (16 words a line, 32 lines)
//   ; area check 0x1234
//
// `valid` is the area's list when its check value matched, else nullptr.
std::string PdaBackupText(const PdaAreaWords& area, const Pda* valid, const std::string& permanentAddress,
                          const std::string& pdaMac);

// What a .pda text holds beyond its records when it is a backup.
struct PdaBackupContent {
    bool isBackup = false;  // the backup header is there
    PdaAreaWords area{};    // the area's words (isBackup only)
    std::string permanentAddress;
};

// Reads the backup part of a .pda text: "" when the text is no backup, or
// a whole backup whose area lines are complete and match their check
// value; otherwise why the backup cannot be trusted (cut short, edited).
std::string ReadPdaBackupText(const std::string& text, PdaBackupContent& content);

}  // namespace meru
