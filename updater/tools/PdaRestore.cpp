// "-restorepda FILE": the card's whole production data replaced by the
// records of a .pda file (a backup, usually), with a fresh check value and
// read back. Nothing is merged with what the card holds and nothing is
// derived. It reaches cards the other tools refuse: a PDA that is empty,
// cleared, of bad check value or unreadable.
#include <cstdio>
#include <string>

#include "app/MainWindow.h"
#include "app/PdaBackup.h"
#include "app/PdaTexts.h"
#include "base/ReportBox.h"
#include "base/SessionLog.h"
#include "base/Settings.h"
#include "image/Pda.h"
#include "TextFormat.h"
#include "tools/MaintenanceCommands.h"
#include "tools/PermanentAddress.h"

namespace meru {

namespace {

const char kCaption[] = "PDA Restore";
const char kNothingWritten[] = " Nothing was written to the card.";
const char kTooOldDriverText[] = "This program requires a newer driver version to update cards.";

// The records of the file as the card's whole PDA: "" when the file can be
// written as it is, otherwise why not.
std::string LoadRecords(const std::string& path, Pda& records) {
    uint16_t words[Pda::kMaxWords] = {};
    const uint16_t count = ReadPdaTextFile(path, words);
    if (count == 0) return "The file \"" + path + "\" could not be loaded as a .pda file.";
    records.Clear();
    records.ParseWords(words, count);
    if (records.Find(kPdaPlatform) == nullptr) {
        return "The file \"" + path + "\" holds no platform record (0x0008); the card would be left without one.";
    }
    if (records.Find(kPdaMacAddress) == nullptr) {
        return "The file \"" + path + "\" holds no MAC address record (0x0101); the card would be left without one.";
    }
    uint16_t serialized[Pda::kMaxSerializedWords];
    if (records.Serialize(serialized, Pda::kMaxSerializedWords) == 0) {
        return "The records of \"" + path + "\" do not fit the card's production data area.";
    }
    return "";
}

std::string OnlyAdapterRefusal(MainWindow::OnlyAdapter found) {
    switch (found) {
    case MainWindow::OnlyAdapter::kNone: return "No adapter was found.";
    case MainWindow::OnlyAdapter::kSeveral: return "More than one adapter is installed; remove all but one.";
    case MainWindow::OnlyAdapter::kCannotOpen: return "The adapter could not be opened.";
    case MainWindow::OnlyAdapter::kUnknownCard:
        return "The adapter has been disabled, or is not compatible with this program.";
    case MainWindow::OnlyAdapter::kOpened: break;
    }
    return "";
}

bool Refuse(MainWindow& window, const std::string& why) {
    window.CloseAdapter();
    ReportBox(window.View().Owner(), (why + kNothingWritten).c_str(), kCaption, kBoxIconStop);
    return false;
}

// "PDA written: 12 records (0x0001 ... 0x0901), 263 words, check value 0x1234".
void LogWritten(const Pda& records) {
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
              static_cast<unsigned>(records.ListCrc()));
}

}  // namespace

bool MaintenanceCommands::RestorePda(MainWindow& window, const std::string& path) {
    LogPrintf("PDA restore from \"%s\"\n", path.c_str());
    Pda records;
    const std::string unloadable = LoadRecords(path, records);
    if (!unloadable.empty()) return Refuse(window, unloadable);

    std::string adapterName;
    const MainWindow::OnlyAdapter found = window.OpenOnlyAdapter(adapterName);
    if (found != MainWindow::OnlyAdapter::kOpened) return Refuse(window, OnlyAdapterRefusal(found));
    AdapterHandle& adapter = window.Adapter();
    if (static_cast<int32_t>(adapter.queryDriverVersion()) < 0) return Refuse(window, kTooOldDriverText);
    const std::string permanentAddress = PermanentAddressText(adapter);

    if (!TheSettings().quietMode) {
        const std::string question = "Replace the production data of the card \"" + adapterName +
                                     "\" (MAC address " + permanentAddress + ") with the " +
                                     std::to_string(records.RecordCount()) + " records of \"" + path +
                                     "\"? What the card holds now is saved beside the session log first.";
        if (ReportBox(window.View().Owner(), question.c_str(), kCaption, kBoxOkCancel | kBoxIconExclamation) !=
            kAnswerOk) {
            window.CloseAdapter();
            LogPrintf("PDA restore cancelled.%s\n", kNothingWritten);
            return false;
        }
    }

    // What the card holds now, for the record, whatever it is.
    uint16_t raw[AdapterHandle::kPdaWords];
    Pda current;
    const AdapterHandle::RawPda held = adapter.readRawPda(raw, current);
    std::string backup;
    if (held == AdapterHandle::RawPda::kUnreadable) {
        LogPrintf("The card's PDA could not be read: there is nothing to back up.\n");
    } else {
        const Pda* valid = held == AdapterHandle::RawPda::kValid ? &current : nullptr;
        backup = WriteRawPdaBackup(raw, AdapterHandle::kPdaWords, valid, permanentAddress, window.System().LocalTime());
        if (backup.empty()) return Refuse(window, "The backup of the card's PDA could not be written.");
    }

    const bool written = adapter.writePda(records, window.Texts().forceAllBlocks, true);
    adapter.concludeSession();
    window.CloseAdapter();
    if (!written) {
        const std::string text = "The PDA could not be written to the card, or did not read back as written." +
                                 (backup.empty() ? std::string() : " What it held before is in \"" + backup + "\".");
        ReportBox(window.View().Owner(), text.c_str(), kCaption, kBoxIconStop);
        return false;
    }
    LogWritten(records);
    ReportBox(window.View().Owner(),
              ("The PDA of \"" + path + "\" was written to the card and read back: " +
               std::to_string(records.RecordCount()) + " records.")
                  .c_str(),
              kCaption, kBoxOk);
    return true;
}

}  // namespace meru
