#pragma once

#include <ctime>
#include <string>

namespace meru {

struct PdaArea;

// Backups of one card taken within one second get distinct names, up to this many.
constexpr int kMaxBackupsPerSecond = 100;

// Saves the card's production data area, as just read for a write that
// will replace it, as a backup file (image/PdaBackupText.h) beside the
// session log, named after the MAC address in that data ("nomac" when it
// holds none), the adapter's `permanentAddress` and the time, e.g.
// "pda-00601D123456-00601D998877-20261208-070512.pda"; "-2", "-3", ... are
// added when the name is taken, so no backup replaces another. Written
// whether or not logging is on: it is safety data, not log output. The
// file is flushed, closed and read back: it must give the area's words.
// Returns the path, or "" with `why` set when there is no such backup;
// the caller then writes nothing.
std::string WritePdaBackup(const PdaArea& area, const std::string& permanentAddress, const std::tm& now,
                           std::string& why);

}  // namespace meru
