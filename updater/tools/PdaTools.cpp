// The PDA tools: show the card's production data, edit its MAC address and
// serial number, clear it.
#include <tuple>

#include "app/MainWindow.h"
#include "app/PdaBackup.h"
#include "app/PdaTexts.h"
#include "base/ReportBox.h"
#include "image/Pda.h"
#include "tools/MaintenanceCommands.h"
#include "tools/PdaFieldTexts.h"
#include "tools/ToolTexts.h"

namespace meru {

namespace {

constexpr unsigned kBoxOkCancel = 0x01;
constexpr uint16_t kMacRecordLength = 4;
constexpr uint16_t kSerialRecordLength = 7;
constexpr size_t kSerialWords = std::tuple_size<SerialWords>::value;

// Writes the window's card PDA with the window's force switch, after saving
// the production data as it was read (`asRead`) in a backup file. The block
// is always read back: a write that the card took but stored otherwise must
// not be reported as done. The session is concluded whether or not the
// write succeeded, so that a failed write does not leave the card's
// protocols blocked.
bool WriteCardPda(MainWindow& window, const Pda& asRead) {
    WritePdaBackup(asRead, PdaMacText(asRead), window.System().LocalTime());
    const bool written = window.Adapter().writePda(window.CardPda(), window.Texts().forceAllBlocks, true);
    window.Adapter().concludeSession();
    return written;
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

void MaintenanceCommands::EditMacAndSerial(MainWindow& window) {
    PdaEditFields fields;
    fields.macText = window.Texts().pdaMac;
    fields.serialText = window.Texts().serialNumber;
    if (view_.AskMacAndSerial(fields)) {
        const Pda asRead = window.CardPda();
        const MacParse mac = ParseMacText(fields.macText);
        if (fields.macText != window.Texts().pdaMac && mac.outcome != MacOutcome::kNotAMac) {
            const uint16_t record[] = {kMacRecordLength, kPdaMacAddress, mac.words[0], mac.words[1], mac.words[2]};
            window.CardPda().AddRecord(record);
        }
        const SerialWords serial = PackSerialText(fields.serialText);
        uint16_t record[2 + kSerialWords] = {kSerialRecordLength, kPdaSerialNumber};
        for (size_t k = 0; k < kSerialWords; ++k) record[2 + k] = serial[k];
        window.CardPda().AddRecord(record);

        if (window.OpenSelectedAdapter(true)) {
            const char* text = WriteCardPda(window, asRead)
                                   ? "PDA Update Successful! You MUST reload station code for changes to take effect."
                                   : "PDA Update Failed. Unable to write to card.";
            window.CloseAdapter();
            ReportBox(window.View().Owner(), text, "PDA Update", kBoxOk);
        }
        window.CloseAdapter();
    }
    window.RefreshPdaFields();
}

void MaintenanceCommands::ClearPda(MainWindow& window) {
    if (ReportBox(window.View().Owner(), "Are you sure you want to clear the PDA?", "Warning:", kBoxOkCancel) ==
            kAnswerOk &&
        window.OpenSelectedAdapter(true)) {
        const Pda asRead = window.CardPda();
        window.CardPda().Clear();
        const bool written = WriteCardPda(window, asRead);
        window.CloseAdapter();
        // A failed clear is told too, not left without an answer.
        ReportBox(window.View().Owner(),
                  written ? "PDA cleared. Set a valid MAC address before programming station code."
                          : "PDA Update Failed. Unable to write to card.",
                  nullptr, kBoxOk);
    }
    window.CloseAdapter();
    window.RefreshPdaFields();
}

}  // namespace meru
