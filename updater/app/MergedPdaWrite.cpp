#include "app/MergedPdaWrite.h"

#include "app/PdaBackup.h"
#include "card/AdapterHandle.h"
#include "card/PdaArea.h"
#include "image/Pda.h"

namespace meru {

namespace {

PdaWriteResult BackUp(const PdaArea& asRead, const std::string& permanentAddress, const std::tm& now) {
    PdaWriteResult result;
    result.backup = WritePdaBackup(asRead, permanentAddress, now, result.why);
    result.outcome = result.backup.empty() ? PdaWriteOutcome::kNoBackup : PdaWriteOutcome::kWritten;
    return result;
}

}  // namespace

std::string PdaAreaRefusal(const PdaArea& area, bool needList) {
    switch (area.state) {
    case PdaArea::State::kUnreadable: return "The card's PDA could not be read.";
    case PdaArea::State::kUnsteady: return "The card's PDA read differently twice in a row.";
    case PdaArea::State::kInvalid:
        return needList ? "The card's PDA holds no valid list (its check value does not match)." : "";
    case PdaArea::State::kValid: break;
    }
    return "";
}

PdaWriteResult WriteMergedPda(AdapterHandle& adapter, const PdaArea& asRead, const Pda& pda,
                              const std::string& permanentAddress, const std::tm& now, bool force) {
    uint16_t words[Pda::kMaxSerializedWords];
    if (pda.Serialize(words, Pda::kMaxSerializedWords) == 0) {
        PdaWriteResult result;
        result.outcome = PdaWriteOutcome::kTooLarge;
        result.why = "The PDA does not fit the card's 512-word area.";
        return result;
    }
    PdaWriteResult result = BackUp(asRead, permanentAddress, now);
    if (result.outcome != PdaWriteOutcome::kWritten) return result;
    if (!adapter.WritePda(pda, force, true)) result.outcome = PdaWriteOutcome::kFailed;
    return result;
}

PdaWriteResult WritePdaAreaWords(AdapterHandle& adapter, const PdaArea& asRead, const PdaAreaWords& words,
                                 const std::string& permanentAddress, const std::tm& now, bool force) {
    PdaWriteResult result = BackUp(asRead, permanentAddress, now);
    if (result.outcome != PdaWriteOutcome::kWritten) return result;
    if (!adapter.WritePdaWords(words.data(), static_cast<uint16_t>(words.size()), force, true)) {
        result.outcome = PdaWriteOutcome::kFailed;
    }
    return result;
}

}  // namespace meru
