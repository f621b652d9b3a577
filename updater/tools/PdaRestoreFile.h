#pragma once

#include <string>

#include "image/Pda.h"
#include "image/PdaBackupText.h"

namespace meru {

// What "-restorepda FILE" would write: a backup's area word for word, or
// the records of a .pda file as the card's whole PDA with a fresh check value.
struct RestoreFile {
    bool wholeArea = false;  // a backup: `area` is written as it is
    PdaAreaWords area{};
    Pda records;                   // the records the card will hold
    std::string mac;               // the MAC address the file names, "" none
    std::string permanentAddress;  // a backup's card, "" when not a backup
};

// Loads and checks `path`: "" when it may be written, otherwise why not.
// A backup must be whole, its area words must match their check value and
// its record lines the area. Any other file must hold a whole PDA: records
// of the lengths the PDA rules give, the platform (0x0008) and MAC address
// (0x0101) records, an end record whose check value matches the records
// before it and nothing after it, all inside the 512-word area.
std::string LoadRestoreFile(const std::string& path, RestoreFile& file);

}  // namespace meru
