// The PDA tools: show the card's production data, edit its MAC address and
// serial number, clear it. Edit and clear work on the card's production data
// as read right before they write, never on what the window last held, and
// write nothing when that read fails.
#include <tuple>

#include "app/MainWindow.h"
#include "app/PdaBackup.h"
#include "app/PdaTexts.h"
#include "base/ReportBox.h"
#include "image/Pda.h"
#include "tools/PermanentAddress.h"
#include "tools/MaintenanceCommands.h"
#include "tools/PdaFieldTexts.h"
#include "tools/ToolTexts.h"

namespace meru {

namespace {

constexpr uint16_t kMacRecordLength = 4;
constexpr uint16_t kSerialRecordLength = 7;
constexpr size_t kSerialWords = std::tuple_size<SerialWords>::value;

const char kPdaEditCaption[] = "PDA Update";
const char kUnreadableText[] =
    "The PDA could not be read from the card, or it failed its check. Nothing was written to the card.";
const char kNoBackupText[] =
    "The PDA backup could not be written beside the session log. Nothing was written to the card.";
const char kUnchangedText[] =
    "The card's PDA already holds this MAC address and serial number. Nothing was written to the card.";
const char kEditedText[] = "PDA Update Successful! You MUST reload station code for changes to take effect.";
const char kWriteFailedText[] = "PDA Update Failed. Unable to write to card.";
const char kClearedText[] = "PDA cleared. Set a valid MAC address before programming station code.";

// Reads the card's production data afresh into `asRead` (the adapter open).
// A failed read or check closes the adapter and says so (in a box, and so
// in the log).
bool ReadForWrite(MainWindow& window, Pda& asRead, const char* caption) {
    if (window.Adapter().readPda(asRead)) return true;
    window.CloseAdapter();
    ReportBox(window.View().Owner(), kUnreadableText, caption, kBoxIconStop);
    return false;
}

enum class Written { kYes, kFailed, kNoBackup };

// Saves `asRead` beside the session log, then writes `pda` with the window's
// force switch. Without a backup nothing is written. The block is always
// read back: a write that the card took but stored otherwise must not be
// reported as done. The session is concluded whether or not the write
// succeeded, so that a failed write does not leave the card's protocols
// blocked.
Written BackUpAndWrite(MainWindow& window, const Pda& asRead, const Pda& pda) {
    AdapterHandle& adapter = window.Adapter();
    if (WritePdaBackup(asRead, PermanentAddressText(adapter), window.System().LocalTime()).empty()) {
        return Written::kNoBackup;
    }
    const bool written = adapter.writePda(pda, window.Texts().forceAllBlocks, true);
    adapter.concludeSession();
    return written ? Written::kYes : Written::kFailed;
}

// The dialog's texts applied to `pda`: the MAC address when its text was
// changed from `offeredMac` and reads as one, the serial number always.
void ApplyEdits(Pda& pda, const PdaEditFields& fields, const std::string& offeredMac) {
    const MacParse mac = ParseMacText(fields.macText);
    if (fields.macText != offeredMac && mac.outcome != MacOutcome::kNotAMac) {
        const uint16_t record[] = {kMacRecordLength, kPdaMacAddress, mac.words[0], mac.words[1], mac.words[2]};
        pda.AddRecord(record);
    }
    const SerialWords serial = PackSerialText(fields.serialText);
    uint16_t record[2 + kSerialWords] = {kSerialRecordLength, kPdaSerialNumber};
    for (size_t k = 0; k < kSerialWords; ++k) record[2 + k] = serial[k];
    pda.AddRecord(record);
}

}  // namespace

void MaintenanceCommands::ShowPda(MainWindow& window) {
    if (!window.OpenSelectedAdapter(false)) return;
    const bool read = window.Adapter().readPda(window.CardPda());
    window.CloseAdapter();
    if (!read) {
        ReportBox(window.View().Owner(), "PDA Read was invalid:", nullptr, kBoxOk);
        return;
    }
    uint16_t words[Pda::kMaxSerializedWords];
    const uint16_t count = window.CardPda().Serialize(words, Pda::kMaxSerializedWords);

    view_.ShowInfoWindow(ClosableInfoWindow("PDA:", PdaDisplayText(words, count)));
}

// The window's PDA keeps the edits whatever happens on the card, laid over
// the fresh read when there is one.
void MaintenanceCommands::EditMacAndSerial(MainWindow& window) {
    PdaEditFields fields;
    fields.macText = window.Texts().pdaMac;
    fields.serialText = window.Texts().serialNumber;
    const std::string offeredMac = fields.macText;
    if (view_.AskMacAndSerial(fields)) {
        Pda asRead;
        const bool read = window.OpenSelectedAdapter(true) && ReadForWrite(window, asRead, kPdaEditCaption);
        if (read) window.CardPda() = asRead;
        ApplyEdits(window.CardPda(), fields, offeredMac);
        if (read) {
            const char* text = kUnchangedText;
            if (window.CardPda().Records() != asRead.Records()) {
                switch (BackUpAndWrite(window, asRead, window.CardPda())) {
                case Written::kYes: text = kEditedText; break;
                case Written::kFailed: text = kWriteFailedText; break;
                case Written::kNoBackup: text = kNoBackupText; break;
                }
            }
            window.CloseAdapter();
            ReportBox(window.View().Owner(), text, kPdaEditCaption, kBoxOk);
        }
        window.CloseAdapter();
    }
    window.RefreshPdaFields();
}

void MaintenanceCommands::ClearPda(MainWindow& window) {
    Pda asRead;
    if (ReportBox(window.View().Owner(), "Are you sure you want to clear the PDA?", "Warning:", kBoxOkCancel) ==
            kAnswerOk &&
        window.OpenSelectedAdapter(true) && ReadForWrite(window, asRead, nullptr)) {
        const Written written = BackUpAndWrite(window, asRead, Pda());
        window.CloseAdapter();
        if (written == Written::kNoBackup) {
            window.CardPda() = asRead;
        } else {
            window.CardPda().Clear();
        }
        // A failed clear is told too, not left without an answer.
        ReportBox(window.View().Owner(),
                  written == Written::kYes ? kClearedText : written == Written::kFailed ? kWriteFailedText
                                                                                          : kNoBackupText,
                  nullptr, kBoxOk);
    }
    window.CloseAdapter();
    window.RefreshPdaFields();
}

}  // namespace meru
