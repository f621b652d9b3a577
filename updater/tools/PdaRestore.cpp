// "-restorepda FILE": the card's whole production data replaced by a
// backup's area word for word, or by the records of a .pda file with a
// fresh check value, and read back. Nothing is merged with what the card
// holds and nothing is derived. It reaches cards the other tools refuse: a
// PDA that is empty, cleared or of bad check value. What the card holds is
// saved first, so it must read the same twice; a file of another card is
// written only when the user agrees (-otherMacOK in a quiet run).
#include <cstdio>
#include <string>

#include "app/ToolHost.h"
#include "app/MergedPdaWrite.h"
#include "app/PdaTexts.h"
#include "base/ReportBox.h"
#include "base/SessionLog.h"
#include "card/PdaArea.h"
#include "image/Pda.h"
#include "TextFormat.h"
#include "tools/MaintenanceCommands.h"
#include "tools/PdaRestoreFile.h"
#include "tools/PermanentAddress.h"

namespace meru {

namespace {

const char kCaption[] = "PDA Restore";
const char kNothingWritten[] = " Nothing was written to the card.";
const char kTooOldDriverText[] = "This program requires a newer driver version to update cards.";

std::string OnlyAdapterRefusal(ToolHost::OnlyAdapter found) {
    switch (found) {
    case ToolHost::OnlyAdapter::kNone: return "No adapter was found.";
    case ToolHost::OnlyAdapter::kSeveral: return "More than one adapter is installed; remove all but one.";
    case ToolHost::OnlyAdapter::kCannotOpen: return "The adapter could not be opened.";
    case ToolHost::OnlyAdapter::kUnknownCard:
        return "The adapter has been disabled, or is not compatible with this program.";
    case ToolHost::OnlyAdapter::kOpened: break;
    }
    return "";
}

bool Refuse(ToolHost& window, const std::string& why) {
    window.CloseAdapter();
    ReportBox(window.Owner(), (why + kNothingWritten).c_str(), kCaption, kBoxIconStop);
    return false;
}

// "PDA written: 12 records (0x0001 ... 0x0901), 263 words, check value 0x1234";
// a backup's area word for word: the words up to its end record.
void LogWritten(const RestoreFile& file) {
    const Pda& records = file.records;
    uint16_t words[Pda::kMaxSerializedWords];
    const uint16_t count = records.Serialize(words, Pda::kMaxSerializedWords);
    std::string codes;
    for (const auto& record : records.Records()) {
        char code[8];
        velox::FormatText(code, sizeof code, " 0x%04X", static_cast<unsigned>(record[1]));
        codes += code;
    }
    LogPrintf("PDA written: %u records (%s ), %u words, check value 0x%04X\n",
              static_cast<unsigned>(records.RecordCount()), codes.c_str(), static_cast<unsigned>(count),
              static_cast<unsigned>(file.wholeArea ? records.StoredCrc() : records.ListCrc()));
    if (file.wholeArea) LogPrintf("All 512 words of the area are as the backup holds them.\n");
}

// The MAC address the card stands for: its PDA's when it holds one, its
// permanent address otherwise.
std::string CardMac(const PdaArea& area, const std::string& permanentAddress) {
    const std::string mac = area.state == PdaArea::State::kValid ? PdaMacText(area.list) : "";
    return mac.empty() ? permanentAddress : mac;
}

// Whether the file is this card's: a backup taken of this card (the same
// permanent address), or a file naming the card's MAC address (or none).
bool SameCard(const RestoreFile& file, const std::string& cardMac, const std::string& permanentAddress) {
    if (file.wholeArea && !permanentAddress.empty() && file.permanentAddress == permanentAddress) return true;
    return file.mac.empty() || file.mac == cardMac;
}

}  // namespace

bool MaintenanceCommands::RestorePda(ToolHost& window, const PdaRestoreRequest& request) {
    const std::string& path = request.path;
    LogPrintf("PDA restore from \"%s\"\n", path.c_str());
    RestoreFile file;
    const std::string unloadable = LoadRestoreFile(path, file);
    if (!unloadable.empty()) return Refuse(window, unloadable);

    std::string adapterName;
    const ToolHost::OnlyAdapter found = window.OpenOnlyAdapter(adapterName);
    if (found != ToolHost::OnlyAdapter::kOpened) return Refuse(window, OnlyAdapterRefusal(found));
    AdapterHandle& adapter = window.Adapter();
    if (static_cast<int32_t>(adapter.QueryDriverVersion()) < 0) return Refuse(window, kTooOldDriverText);
    const std::string permanentAddress = PermanentAddressText(adapter);

    // What the card holds now: it is saved before anything is written, so
    // it must read the same twice (whatever it holds).
    PdaArea held;
    adapter.ReadPdaArea(held);
    const std::string unreadable = PdaAreaRefusal(held, false);
    if (!unreadable.empty()) return Refuse(window, unreadable + " It cannot be saved first.");
    const std::string cardMac = CardMac(held, permanentAddress);
    const bool sameCard = SameCard(file, cardMac, permanentAddress);
    if (!sameCard) {
        LogPrintf("The file names the MAC address %s; the card's is %s.\n", file.mac.c_str(), cardMac.c_str());
    }
    const std::string what = file.wholeArea ? "the production data area saved in \"" + path + "\""
                                            : "the " + std::to_string(file.records.RecordCount()) +
                                                  " records of \"" + path + "\"";

    if (request.askUser) {
        std::string question = "Replace the production data of the card \"" + adapterName + "\" (MAC address " +
                               cardMac + ") with " + what + "?";
        unsigned type = kBoxOkCancel | kBoxIconExclamation;
        if (!sameCard) {
            question += " The file is of another card: it names the MAC address " + file.mac +
                        ", this card's is " + cardMac + ". Two cards with one address cannot share a network.";
            type |= kBoxDefaultSecond;
        }
        question += " What the card holds now will be saved beside the session log first.";
        if (ReportBox(window.Owner(), question.c_str(), kCaption, type) != kAnswerOk) {
            window.CloseAdapter();
            LogPrintf("PDA restore cancelled.%s\n", kNothingWritten);
            return false;
        }
    } else if (!sameCard && !request.otherMacOk) {
        return Refuse(window, "The file names the MAC address " + file.mac + ", not the card's " + cardMac +
                                  " (-otherMacOK allows it).");
    }

    const std::tm now = window.LocalTime();
    const bool force = window.Texts().forceAllBlocks;
    const PdaWriteResult result = file.wholeArea
                                      ? WritePdaAreaWords(adapter, held, file.area, permanentAddress, now, force)
                                      : WriteMergedPda(adapter, held, file.records, permanentAddress, now, force);
    if (result.outcome == PdaWriteOutcome::kNoBackup || result.outcome == PdaWriteOutcome::kTooLarge) {
        return Refuse(window, result.outcome == PdaWriteOutcome::kNoBackup
                                  ? "The card's PDA could not be saved first: " + result.why + "."
                                  : result.why);
    }
    adapter.ConcludeSession();
    window.CloseAdapter();
    if (result.outcome != PdaWriteOutcome::kWritten) {
        const std::string text = "The PDA could not be written to the card, or did not read back as written. What "
                                 "it held before is in \"" + result.backup + "\".";
        ReportBox(window.Owner(), text.c_str(), kCaption, kBoxIconStop);
        return false;
    }
    LogWritten(file);
    ReportBox(window.Owner(),
              ("The PDA of \"" + path + "\" was written to the card and read back: " +
               std::to_string(file.records.RecordCount()) + " records.")
                  .c_str(),
              kCaption, kBoxOk);
    return true;
}

}  // namespace meru
