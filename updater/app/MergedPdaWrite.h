#pragma once

#include <ctime>
#include <string>

#include "image/PdaBackupText.h"

namespace meru {

class AdapterHandle;
class Pda;
struct PdaArea;

// How a PDA write ended. Only kFailed may have changed the card.
enum class PdaWriteOutcome {
    kWritten,    // written and read back as meant
    kTooLarge,   // does not fit the area with its end record: nothing written
    kNoBackup,   // no backup that reads back: nothing written
    kFailed,     // the write failed or did not read back as meant
};

struct PdaWriteResult {
    PdaWriteOutcome outcome = PdaWriteOutcome::kFailed;
    std::string backup;  // the backup's path once written
    std::string why;     // for kTooLarge and kNoBackup
};

// Why `area` (read for a write) cannot be written over: "" when it can.
// With `needList` a valid record list is required (a merge builds on it).
std::string PdaAreaRefusal(const PdaArea& area, bool needList);

// Every write of the card's production data goes these steps: the new
// data must fit the area; `asRead`, the area as read for this write, is
// saved in a backup that reads back; then the card is written and read
// back (a list as a PDA: records and check value; words as words). The
// adapter is open; the caller concludes the session.
PdaWriteResult WriteMergedPda(AdapterHandle& adapter, const PdaArea& asRead, const Pda& pda,
                              const std::string& permanentAddress, const std::tm& now, bool force);
PdaWriteResult WritePdaAreaWords(AdapterHandle& adapter, const PdaArea& asRead, const PdaAreaWords& words,
                                 const std::string& permanentAddress, const std::tm& now, bool force);

}  // namespace meru
