// The PDA tools: show the card's production data, edit its MAC address and
// serial number, clear it. Edit and clear work on the card's production data
// as read right before they write (twice alike), never on what the window
// last held, and write nothing when that read fails or no backup of it can
// be saved.
#include <tuple>

#include "app/ToolHost.h"
#include "app/MergedPdaWrite.h"
#include "app/PdaTexts.h"
#include "base/ReportBox.h"
#include "card/PdaArea.h"
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
const char kEditNothingWritten[] = " Nothing was written to the card.";
const char kUnreadableText[] =
    "The PDA could not be read from the card, or it failed its check. Nothing was written to the card.";
const char kUnchangedText[] =
    "The card's PDA already holds this MAC address and serial number. Nothing was written to the card.";
const char kEditedText[] = "PDA Update Successful! You MUST reload station code for changes to take effect.";
const char kWriteFailedText[] = "PDA Update Failed. Unable to write to card.";
const char kClearedText[] = "PDA cleared. Set a valid MAC address before programming station code.";

// Reads the card's production data area afresh into `asRead` (the adapter
// open): twice alike, with a valid list. Otherwise the adapter is closed
// and the reason shown (in a box, and so in the log).
bool ReadForWrite(ToolHost& window, PdaArea& asRead, const char* caption) {
    window.Adapter().ReadPdaArea(asRead);
    if (asRead.state == PdaArea::State::kValid) return true;
    window.CloseAdapter();
    ReportBox(window.Owner(), kUnreadableText, caption, kBoxIconStop);
    return false;
}

// Writes `pda` over `asRead` through the merged write (backup first, read
// back after) with the window's force switch, and concludes the session
// whether or not the write succeeded, so that a failed write does not
// leave the card's protocols blocked. The text to show.
std::string BackUpAndWrite(ToolHost& window, const PdaArea& asRead, const Pda& pda, const char* doneText) {
    AdapterHandle& adapter = window.Adapter();
    const PdaWriteResult result = WriteMergedPda(adapter, asRead, pda, PermanentAddressText(adapter),
                                                 window.LocalTime(), window.Texts().forceAllBlocks);
    switch (result.outcome) {
    case PdaWriteOutcome::kWritten: adapter.ConcludeSession(); return doneText;
    case PdaWriteOutcome::kFailed: adapter.ConcludeSession(); return kWriteFailedText;
    case PdaWriteOutcome::kNoBackup:
        return "The card's PDA could not be saved first: " + result.why + "." + kEditNothingWritten;
    case PdaWriteOutcome::kTooLarge: break;
    }
    return result.why + kEditNothingWritten;
}

// The serial text as the dialog's field leaves it: at most 12 characters,
// upper-cased when the dialog converts.
std::string FieldSerial(const std::string& text, bool upperCase) {
    std::string field = text.substr(0, PdaEditFields::kSerialLimit);
    if (upperCase) {
        for (char& c : field) {
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return field;
}

// The dialog's texts applied to `pda`, each only when the user changed it:
// the MAC address when its text names another address than `offeredMac`,
// the serial number when its text is another than `offeredSerial` would
// have become in the field. A field left alone keeps the record as read.
void ApplyEdits(Pda& pda, const PdaEditFields& fields, const std::string& offeredMac,
                const std::string& offeredSerial) {
    const MacParse mac = ParseMacText(fields.macText);
    const MacParse offered = ParseMacText(offeredMac);
    if (mac.outcome != MacOutcome::kNotAMac &&
        (offered.outcome == MacOutcome::kNotAMac || mac.words != offered.words)) {
        const uint16_t record[] = {kMacRecordLength, kPdaMacAddress, mac.words[0], mac.words[1], mac.words[2]};
        pda.AddRecord(record);
    }
    if (FieldSerial(fields.serialText, fields.convertToUppercase) ==
        FieldSerial(offeredSerial, fields.convertToUppercase)) {
        return;
    }
    const SerialWords serial = PackSerialText(fields.serialText);
    uint16_t record[2 + kSerialWords] = {kSerialRecordLength, kPdaSerialNumber};
    for (size_t k = 0; k < kSerialWords; ++k) record[2 + k] = serial[k];
    pda.AddRecord(record);
}

}  // namespace

void MaintenanceCommands::ShowPda(ToolHost& window) {
    if (!window.OpenSelectedAdapter(false)) return;
    const bool read = window.Adapter().ReadPda(window.CardPda());
    window.CloseAdapter();
    if (!read) {
        ReportBox(window.Owner(), "PDA Read was invalid:", nullptr, kBoxOk);
        return;
    }
    uint16_t words[Pda::kMaxSerializedWords];
    const uint16_t count = window.CardPda().Serialize(words, Pda::kMaxSerializedWords);

    view_.ShowInfoWindow(ClosableInfoWindow("PDA:", PdaDisplayText(words, count)));
}

// The window's PDA keeps the edits whatever happens on the card, laid over
// the fresh read when there is one. A fresh read that names another MAC
// address than the window showed is another card (swapped while the
// window was open): nothing is written to it.
void MaintenanceCommands::EditMacAndSerial(ToolHost& window) {
    PdaEditFields fields;
    fields.macText = window.Texts().pdaMac;
    fields.serialText = window.Texts().serialNumber;
    const std::string offeredMac = fields.macText;
    const std::string offeredSerial = fields.serialText;
    if (view_.AskMacAndSerial(fields)) {
        PdaArea asRead;
        const bool read = window.OpenSelectedAdapter(true) && ReadForWrite(window, asRead, kPdaEditCaption);
        const std::string cardMac = read ? PdaMacText(asRead.list) : "";
        if (read && cardMac != offeredMac) {
            window.CloseAdapter();
            const std::string text = "The card's PDA holds the MAC address " + (cardMac.empty() ? "(none)" : cardMac) +
                                     ", not the " + (offeredMac.empty() ? "(none)" : offeredMac) +
                                     " this window showed: was the card changed?" + kEditNothingWritten;
            ReportBox(window.Owner(), text.c_str(), kPdaEditCaption, kBoxIconStop);
            window.CardPda() = asRead.list;
            window.RefreshPdaFields();
            return;
        }
        if (read) window.CardPda() = asRead.list;
        ApplyEdits(window.CardPda(), fields, offeredMac, offeredSerial);
        if (read) {
            std::string text = kUnchangedText;
            if (window.CardPda().Records() != asRead.list.Records()) {
                text = BackUpAndWrite(window, asRead, window.CardPda(), kEditedText);
            }
            window.CloseAdapter();
            ReportBox(window.Owner(), text.c_str(), kPdaEditCaption, kBoxOk);
        }
        window.CloseAdapter();
    }
    window.RefreshPdaFields();
}

void MaintenanceCommands::ClearPda(ToolHost& window) {
    PdaArea asRead;
    if (ReportBox(window.Owner(), "Are you sure you want to clear the PDA?", "Warning:", kBoxOkCancel) ==
            kAnswerOk &&
        window.OpenSelectedAdapter(true) && ReadForWrite(window, asRead, nullptr)) {
        const std::string text = BackUpAndWrite(window, asRead, Pda(), kClearedText);
        window.CloseAdapter();
        // Nothing written: the window keeps the card's data.
        if (text == kClearedText || text == kWriteFailedText) {
            window.CardPda().Clear();
        } else {
            window.CardPda() = asRead.list;
        }
        // A failed clear is told too, not left without an answer.
        ReportBox(window.Owner(), text.c_str(), nullptr, kBoxOk);
    }
    window.CloseAdapter();
    window.RefreshPdaFields();
}

}  // namespace meru
