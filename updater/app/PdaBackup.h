#pragma once

#include <ctime>
#include <string>

namespace meru {

class Pda;

// Saves the card's production data, as read before a write replaces it, as a
// .pda file that the updater reads back: beside the session log, named by
// the card's MAC address and the time, e.g. "pda-00601D123456-20261208-070512.pda".
// Restoring is queuing that file with a station image. Returns the path
// written, or "" when the file could not be written (logged as a warning:
// the caller's write goes on as before).
std::string WritePdaBackup(const Pda& pdaAsRead, const std::string& macText, const std::tm& now);

// The text of a .pda file holding the records and the end record.
std::string PdaFileText(const Pda& pda);

}  // namespace meru
