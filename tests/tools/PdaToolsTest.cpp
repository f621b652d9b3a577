// Show, edit and clear the card's PDA through the main window, against the
// software card; what reached the card is read back on the card's side.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "ToolsRig.h"
#include "app/ResourceIds.h"
#include "image/Pda.h"
#include "sim/CardProtocol.h"
#include "sim/PdaArea.h"
#include "tools/PdaFieldTexts.h"
#include "tools/ToolTexts.h"

namespace {

using toolstest::BackupFiles;
using toolstest::ToolsRig;

const char kUpdated[] = "PDA Update Successful! You MUST reload station code for changes to take effect.";
const char kUpdateFailed[] = "PDA Update Failed. Unable to write to card.";
const char kReadInvalid[] = "PDA Read was invalid:";
const char kUnreadableBox[] =
    "The PDA could not be read from the card, or it failed its check. Nothing was written to the card.";
const char kUnchangedBox[] =
    "The card's PDA already holds this MAC address and serial number. Nothing was written to the card.";
const char kSure[] = "Are you sure you want to clear the PDA?";
const char kClearedBox[] = "PDA cleared. Set a valid MAC address before programming station code.";

// The card's PDA words as stored, end record included.
std::vector<uint16_t> StoredPda(const sim::CardState& card) {
    std::vector<uint16_t> words = sim::ReadPdaWords(card);
    const sim::PdaLayout layout = sim::WalkPda(words);
    words.resize(layout.endIndex ? *layout.endIndex + 3 : 0);
    return words;
}

// A record's data words in the card's PDA (empty when missing).
std::vector<uint16_t> StoredRecord(const sim::CardState& card, uint16_t code) {
    const std::vector<uint16_t> words = StoredPda(card);
    for (const sim::PdaRecordSpan& span : sim::WalkPda(words).records) {
        if (span.code == code) {
            return std::vector<uint16_t>(words.begin() + static_cast<long>(span.index) + 2,
                                         words.begin() + static_cast<long>(span.index + span.length) + 1);
        }
    }
    return {};
}

// Changes one data word of a record in the card's PDA, with a fresh check
// value; with `window`, the window is made to show the card so changed.
void ChangeCardRecord(ToolsRig& rig, uint16_t code, size_t dataWord, uint16_t value, bool window) {
    std::vector<uint16_t> words = StoredPda(rig.card.State());
    for (const sim::PdaRecordSpan& span : sim::WalkPda(words).records) {
        if (span.code == code) words[span.index + 2 + dataWord] = value;
    }
    words.resize(words.size() - 3);
    sim::CloseWithCrc(words);
    ASSERT_TRUE(sim::WritePdaWords(rig.card.State(), words));
    if (window) {
        rig.window->CardPda().Clear();
        rig.window->CardPda().ParseWords(words.data(), static_cast<uint16_t>(words.size()));
        rig.window->RefreshPdaFields();
    }
}

// The lines themselves are PdaDisplayText's; here the words are the card's.
TEST(ShowPda, TheCardsRecordsInATextWindow) {
    ToolsRig rig;
    rig.StartWithTools().OnCommand(IDM_SHOW_PDA);
    ASSERT_EQ(rig.toolsView.infoWindows.size(), 1u);
    const meru::InfoWindowContent& shown = rig.toolsView.infoWindows[0];
    EXPECT_EQ(shown.title, "PDA:");
    EXPECT_EQ(shown.okCaption, "Close");
    EXPECT_EQ(shown.cancelCaption, "Close");
    const std::vector<uint16_t> stored = StoredPda(rig.card.State());
    EXPECT_EQ(shown.text, meru::PdaDisplayText(stored.data(), stored.size()));
    EXPECT_EQ(std::count(shown.text.begin(), shown.text.end(), '\n'),
              static_cast<long>(sim::WalkPda(stored).records.size()));
    EXPECT_FALSE(rig.window->Adapter().IsOpen());
}

TEST(ShowPda, CheckValueMismatchShowsNothingAndEmptiesThePda) {
    ToolsRig rig;
    meru::MainWindow& window = rig.StartWithTools();
    ASSERT_TRUE(sim::CorruptPdaCrc(rig.card.State()));
    window.OnCommand(IDM_SHOW_PDA);
    EXPECT_TRUE(rig.toolsView.infoWindows.empty());
    EXPECT_EQ(rig.BoxTexts(), std::vector<std::string>{"PDA Read was invalid:"});
    EXPECT_TRUE(window.CardPda().Empty());
}

TEST(ClearPda, ClearedThenShownIsTheEndRecordAlone) {
    ToolsRig rig;
    meru::MainWindow& window = rig.StartWithTools();
    rig.boxes.answers = {meru::kAnswerCancel};
    window.OnCommand(IDM_CLEAR_PDA);
    EXPECT_EQ(rig.Requests(sim::kOidDownload), 0u) << "cancelled";
    EXPECT_EQ(rig.boxes.boxes.at(0).caption, "Warning:");
    EXPECT_EQ(rig.boxes.boxes.at(0).type, 1u) << "OK and Cancel";

    rig.boxes.boxes.clear();
    window.OnCommand(IDM_CLEAR_PDA_ALT);
    EXPECT_EQ(rig.BoxTexts(), (std::vector<std::string>{"Are you sure you want to clear the PDA?",
                                                        "PDA cleared. Set a valid MAC address before programming "
                                                        "station code."}));
    std::vector<uint16_t> endRecordOnly;
    sim::CloseWithCrc(endRecordOnly);
    EXPECT_EQ(StoredPda(rig.card.State()), endRecordOnly);
    EXPECT_EQ(rig.view.texts.pdaMac, "");
    EXPECT_EQ(rig.view.texts.serialNumber, "");

    window.OnCommand(IDM_SHOW_PDA);
    char line[32];
    std::snprintf(line, sizeof line, "2 0 %x ", endRecordOnly[2]);
    ASSERT_EQ(rig.toolsView.infoWindows.size(), 1u);
    EXPECT_EQ(rig.toolsView.infoWindows[0].text, line);
    EXPECT_FALSE(window.Adapter().IsOpen());
}

struct EditCase {
    const char* name;
    const char* fault;  // software card fault, or nullptr
    bool cancel;
    std::string mac;
    std::string serial;
    std::vector<uint16_t> cardMac;  // the card's MAC record afterwards
    std::string cardSerial;         // the card's serial afterwards
    std::vector<std::string> boxes;
};

TEST(EditMacAndSerial, WhatReachesTheCard) {
    const std::vector<uint16_t> factoryMac = {0x6000, 0x121D, 0x5634};  // 00-60-1D-12-34-56
    const std::vector<uint16_t> newMac = {0x6000, 0xAB1D, 0xEFCD};      // 00-60-1D-AB-CD-EF
    const std::string factorySerial = "99SA00012345";
    const char kTooOld[] = "This program requires a newer driver version to update cards. Updating is disabled.";
    const EditCase cases[] = {
        {"cancelled", nullptr, true, "", "", factoryMac, factorySerial, {}},
        {"serial only", nullptr, false, "00-60-1D-12-34-56", "NEW-SERIAL-1", factoryMac, "NEW-SERIAL-1", {kUpdated}},
        {"MAC and serial", nullptr, false, "00-60-1d-ab-cd-ef", "ab", newMac, "ab", {kUpdated}},
        {"MAC text that is no address", nullptr, false, "garbage", "S", factoryMac, "S", {kUpdated}},
        {"texts far beyond the fields", nullptr, false, "00-60-1D-AB-CD-EF" + std::string(3000, '9'),
         "LONGSERIAL12" + std::string(3000, 'x'), newMac, "LONGSERIAL12", {kUpdated}},
        {"write refused", "download-fail always", false, "00-60-1D-AB-CD-EF", "LOST", factoryMac, factorySerial,
         {kUpdateFailed}},
        {"driver too old", "driver-too-old", false, "00-60-1D-AB-CD-EF", "LOST", factoryMac, factorySerial, {kTooOld}},
    };
    for (const EditCase& c : cases) {
        SCOPED_TRACE(c.name);
        ToolsRig rig;
        meru::MainWindow& window = rig.StartWithTools();
        std::string error;
        if (c.fault != nullptr) {
            ASSERT_TRUE(rig.card.AddFault(c.fault, error)) << error;
        }
        if (!c.cancel) {
            rig.toolsView.edit = [&c](meru::PdaEditFields& fields) {
                fields.macText = c.mac;
                fields.serialText = c.serial;
                return true;
            };
        }
        window.OnCommand(IDM_EDIT_MAC_SERIAL);

        ASSERT_EQ(rig.toolsView.editOffered.size(), 1u);
        EXPECT_EQ(rig.toolsView.editOffered[0].macText, "00-60-1D-12-34-56");
        EXPECT_EQ(rig.toolsView.editOffered[0].serialText, factorySerial);
        EXPECT_EQ(rig.BoxTexts(), c.boxes);
        if (!c.boxes.empty() && c.boxes[0] != kTooOld) {
            EXPECT_EQ(rig.boxes.boxes[0].caption, "PDA Update");
        }
        EXPECT_EQ(StoredRecord(rig.card.State(), 0x0101), c.cardMac);
        const meru::SerialWords serial = meru::PackSerialText(c.cardSerial);
        EXPECT_EQ(StoredRecord(rig.card.State(), 0x0003), std::vector<uint16_t>(serial.begin(), serial.end()));
        EXPECT_EQ(sim::WalkPda(StoredPda(rig.card.State())).CrcMatches(), true);
        EXPECT_FALSE(window.Adapter().IsOpen());
        EXPECT_FALSE(rig.card.State().session.protocolsBlocked) << "the session is concluded after a write";
        if (c.cancel) {
            EXPECT_EQ(rig.Requests(sim::kOidDownload), 0u);
        }

        // The edits stay in the window's PDA even when the card refused them,
        // and the card's own PDA can still be read.
        if (!c.cancel) {
            EXPECT_EQ(rig.view.texts.serialNumber, c.serial.substr(0, 12));
        }
        meru::Pda fromCard;
        ASSERT_TRUE(window.Adapter().Open(static_cast<uint32_t>(window.AdapterIndex()), false));
        EXPECT_TRUE(window.Adapter().ReadPda(fromCard));
        window.Adapter().Close();
    }
}

// Edit and clear write only what they read from the card right before, and
// back up that read: a read that failed earlier (Show PDA while the reads
// were flaky) leaves nothing behind that could be written.
TEST(PdaWrites, OnlyAFreshGoodReadIsChangedAndBackedUp) {
    auto flakyShow = [](ToolsRig& rig, bool faultStays) {
        std::string error;
        ASSERT_TRUE(rig.card.AddFault("flaky-reads 0x7F0000 0x7F03FF", error)) << error;
        rig.window->OnCommand(IDM_SHOW_PDA);
        if (!faultStays) rig.card.State().faults = sim::FaultSet();
    };
    struct Case {
        const char* name;
        std::function<void(ToolsRig&)> before;
        int command;
        const char* serial;  // the edit's serial text; nullptr: left as offered
        std::vector<std::string> boxes;
        bool cleared;        // the card's PDA is the end record alone; otherwise unchanged
        size_t backupRecords;  // records in the one backup file; 0: no backup
    };
    const Case cases[] = {
        {"edit unchanged after a failed Show PDA", [&](ToolsRig& r) { flakyShow(r, false); }, IDM_EDIT_MAC_SERIAL,
         nullptr, {kReadInvalid, kUnchangedBox}, false, 0},
        {"edit while the reads still fail", [&](ToolsRig& r) { flakyShow(r, true); }, IDM_EDIT_MAC_SERIAL, nullptr,
         {kReadInvalid, kUnreadableBox}, false, 0},
        {"edit of a PDA with a bad check value", [](ToolsRig& r) { sim::CorruptPdaCrc(r.card.State()); },
         IDM_EDIT_MAC_SERIAL, "NEW", {kUnreadableBox}, false, 0},
        {"clear of a PDA with a bad check value", [](ToolsRig& r) { sim::CorruptPdaCrc(r.card.State()); },
         IDM_CLEAR_PDA, nullptr, {kSure, kUnreadableBox}, false, 0},
        {"clear after a failed Show PDA", [&](ToolsRig& r) { flakyShow(r, false); }, IDM_CLEAR_PDA, nullptr,
         {kReadInvalid, kSure, kClearedBox}, true, 12},
        // The dialog upper-cases the serial it was offered: not a change.
        {"edit leaving a lower-case serial as it was",
         [](ToolsRig& r) { ChangeCardRecord(r, 0x0003, 1, 0x6173, true); }, IDM_EDIT_MAC_SERIAL, "99SA00012345",
         {kUnchangedBox}, false, 0},
        {"edit of a card swapped while the window was open",
         [](ToolsRig& r) { ChangeCardRecord(r, 0x0101, 2, 0xEFCD, false); }, IDM_EDIT_MAC_SERIAL, "NEW",
         {"The card's PDA holds the MAC address 00-60-1D-12-CD-EF, not the 00-60-1D-12-34-56 this window showed: "
          "was the card changed? Nothing was written to the card."},
         false, 0},
        {"clear the card refuses",
         [](ToolsRig& r) {
             std::string error;
             ASSERT_TRUE(r.card.AddFault("download-fail always", error)) << error;
         },
         IDM_CLEAR_PDA, nullptr, {kSure, kUpdateFailed}, false, 12},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ToolsRig rig;
        meru::MainWindow& window = rig.StartWithTools();
        c.before(rig);
        const std::vector<uint16_t> before = sim::ReadPdaWords(rig.card.State());
        rig.toolsView.edit = [&c](meru::PdaEditFields& fields) {
            if (c.serial != nullptr) fields.serialText = c.serial;
            return true;
        };
        window.OnCommand(c.command);

        EXPECT_EQ(rig.BoxTexts(), c.boxes);
        if (c.cleared) {
            std::vector<uint16_t> endRecordOnly;
            sim::CloseWithCrc(endRecordOnly);
            EXPECT_EQ(StoredPda(rig.card.State()), endRecordOnly);
        } else {
            EXPECT_EQ(sim::ReadPdaWords(rig.card.State()), before) << "nothing written";
        }
        const std::vector<std::string> backups = BackupFiles(rig.log.Path());
        if (c.backupRecords == 0) {
            EXPECT_EQ(rig.Requests(sim::kOidDownload), 0u) << "no write begun";
        }
        ASSERT_EQ(backups.size(), c.backupRecords != 0 ? 1u : 0u);
        if (!backups.empty()) {
            uint16_t saved[meru::Pda::kMaxWords] = {};
            meru::Pda backup;
            backup.ParseWords(saved, meru::ReadPdaTextFile(backups[0], saved));
            EXPECT_EQ(backup.RecordCount(), c.backupRecords);
        }
        if (std::find(c.boxes.begin(), c.boxes.end(), kUnreadableBox) != c.boxes.end()) {
            EXPECT_NE(rig.log.Text().find(kUnreadableBox), std::string::npos) << "the refusal is in the log too";
        }
        EXPECT_FALSE(window.Adapter().IsOpen());
    }
}

}  // namespace
