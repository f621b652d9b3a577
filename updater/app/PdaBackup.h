#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>

namespace meru {

class Pda;

// Backups of one card taken within one second get distinct names, up to this many.
constexpr int kMaxBackupsPerSecond = 100;

// Saves the card's production data, as just read from it before a write
// replaces it, as a .pda file that the updater reads back (`-restorepda`):
// beside the session log, named after the MAC address in that data (or the
// adapter's `permanentAddress` when it holds none) and the time, e.g.
// "pda-00601D123456-20261208-070512.pda"; "-2", "-3", ... are added when the
// name is taken, so no backup replaces another. Written whether or not
// logging is on: it is safety data, not log output. Returns the path
// written, or "" when the file could not be written (logged as a warning;
// the caller decides whether its write goes on).
std::string WritePdaBackup(const Pda& pdaAsRead, const std::string& permanentAddress, const std::tm& now);

// The same for a production data area that need not hold a valid list (the
// backup before a restore): the `count` raw words as read, kept as comment
// lines, and before them the records when `valid` (the words read as a list
// with a matching check value) is given, so that such a backup restores.
std::string WriteRawPdaBackup(const uint16_t* words, size_t count, const Pda* valid,
                              const std::string& permanentAddress, const std::tm& now);

// The text of a .pda file holding the records and the end record.
std::string PdaFileText(const Pda& pda);

}  // namespace meru
