// "-restorepda FILE" against the software card: a backup put back word for
// word whatever the card's PDA has become, the refusals that write nothing,
// and the interactive confirmation.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "ToolsRig.h"
#include "app/ResourceIds.h"
#include "image/Pda.h"
#include "sim/CardProtocol.h"
#include "sim/PdaArea.h"
#include "support/TempDir.h"

namespace {

using toolstest::BackupFiles;
using toolstest::ToolsRig;

const char kStamp[] = "-20261208-060509";  // FakeSystem's local time
const std::array<uint8_t, 6> kOtherPermanentAddress = {0x00, 0x60, 0x1D, 0x99, 0x88, 0x77};

void AddFaults(sim::SoftwareCard& card, const std::vector<std::string>& faults) {
    for (const std::string& fault : faults) {
        std::string error;
        ASSERT_TRUE(card.AddFault(fault, error)) << fault << ": " << error;
    }
}

// The card's PDA is damaged (or cleared) through a tool; a quiet restore of
// the backup that tool wrote gives back every word of the area as the card
// left the factory: the same records, nothing merged, nothing derived.
TEST(RestorePda, PutsTheBackupBackWordForWord) {
    struct Case {
        const char* name;
        std::vector<std::string> damageFaults;  // during the tool's write
        int command;
        std::vector<std::string> restoreFaults;  // while restoring
        bool restoreBacksUp;                     // the card's PDA could be read to be saved
        std::string restoreBackupName;           // the card's PDA holds no MAC: the permanent address
    };
    const Case cases[] = {
        {"after Clear", {}, IDM_CLEAR_PDA, {}, true, std::string("pda-00601D998877") + kStamp + ".pda"},
        {"after a corrupt edit", {"download-corrupt once"}, IDM_EDIT_MAC_SERIAL, {}, true,
         std::string("pda-00601D998877") + kStamp + ".pda"},
        {"after Clear, the PDA unreadable",
         {},
         IDM_CLEAR_PDA,
         {"read-refuse nth 1 range 0x7F0000 0x7F03FF", "read-refuse nth 2 range 0x7F0000 0x7F03FF"},
         false,
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ToolsRig damaged;
        damaged.card.State().permanentAddress = kOtherPermanentAddress;
        const std::vector<uint16_t> factory = sim::ReadPdaWords(damaged.card.State());
        meru::MainWindow& window = damaged.StartWithTools();
        AddFaults(damaged.card, c.damageFaults);
        damaged.toolsView.edit = [](meru::PdaEditFields& fields) {
            fields.macText = "00-60-1D-AB-CD-EF";
            return true;
        };
        window.OnCommand(c.command);
        ASSERT_NE(sim::ReadPdaWords(damaged.card.State()), factory);
        const std::vector<std::string> backups = BackupFiles(damaged.log.Path());
        ASSERT_EQ(backups.size(), 1u);

        ToolsRig restore;
        restore.card = damaged.card;
        restore.card.State().faults = sim::FaultSet();
        AddFaults(restore.card, c.restoreFaults);
        restore.StartFromCommandLine({"-quiet", "-restorepda", backups[0]});

        EXPECT_EQ(restore.view.ended, 1) << restore.log.Text();
        EXPECT_EQ(sim::ReadPdaWords(restore.card.State()), factory);
        EXPECT_TRUE(restore.boxes.boxes.empty()) << "quiet: no box";
        EXPECT_NE(restore.log.Text().find("PDA written: 12 records ( 0x0001 0x0002 0x0003 0x0004 0x0008 0x0101 "
                                          "0x0103 0x0104 0x0200 0x0204 0x0900 0x0901 ), 125 words"),
                  std::string::npos)
            << restore.log.Text();
        const std::vector<std::string> saved = BackupFiles(restore.log.Path());
        ASSERT_EQ(saved.size(), c.restoreBacksUp ? 1u : 0u);
        if (c.restoreBacksUp) {
            EXPECT_EQ(std::filesystem::path(saved[0]).filename().string(), c.restoreBackupName);
            EXPECT_NE(testsupport::ReadWholeFile(saved[0]).find("; the words as read:\n"), std::string::npos);
        }
        EXPECT_FALSE(restore.window->Adapter().isOpen());
        EXPECT_FALSE(restore.card.State().session.protocolsBlocked) << "the session is concluded";
    }
}

// A restore that cannot put a whole PDA on the card writes nothing, ends a
// quiet session with exit code 1 and says why in the log.
TEST(RestorePda, RefusalsWriteNothing) {
    testsupport::TempDir dir;
    const std::string full = dir.File("full.pda");
    testsupport::WriteWholeFile(full, "0x0005, 0x0008, 0x0201, 0x0001, 0x0001, 0x0000\n"
                                      "0x0004, 0x0101, 0x6000, 0x121D, 0x5634\n");
    const std::string noPlatform = dir.File("no-platform.pda");
    testsupport::WriteWholeFile(noPlatform, "0x0004, 0x0101, 0x6000, 0x121D, 0x5634\n");
    const std::string noMac = dir.File("no-mac.pda");
    testsupport::WriteWholeFile(noMac, "0x0005, 0x0008, 0x0201, 0x0001, 0x0001, 0x0000\n");
    const std::string malformed = dir.File("malformed.pda");
    testsupport::WriteWholeFile(malformed, "0x0005, 0x0008, 0x0201\n");
    struct Case {
        const char* name;
        std::string file;
        std::function<void(ToolsRig&)> card;
        const char* reason;
    };
    const Case cases[] = {
        {"no such file", dir.File("missing.pda"), nullptr, "could not be loaded as a .pda file"},
        {"incomplete record", malformed, nullptr, "could not be loaded as a .pda file"},
        {"no platform record", noPlatform, nullptr, "holds no platform record (0x0008)"},
        {"no MAC record", noMac, nullptr, "holds no MAC address record (0x0101)"},
        {"no card", full, [](ToolsRig& r) { r.library.DetachCards(); }, "No adapter was found."},
        {"driver too old", full, [](ToolsRig& r) { AddFaults(r.card, {"driver-too-old"}); },
         "requires a newer driver version"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ToolsRig rig;
        if (c.card) c.card(rig);
        const std::vector<uint16_t> before = sim::ReadPdaWords(rig.card.State());
        rig.StartFromCommandLine({"-quiet", "-restorepda", c.file});
        EXPECT_EQ(rig.view.ended, 0);
        EXPECT_EQ(rig.Requests(sim::kOidDownload), 0u);
        EXPECT_EQ(sim::ReadPdaWords(rig.card.State()), before);
        const std::string log = rig.log.Text();
        EXPECT_NE(log.find(std::string(c.reason)), std::string::npos) << log;
        EXPECT_NE(log.find("Nothing was written to the card."), std::string::npos) << log;
        EXPECT_TRUE(BackupFiles(rig.log.Path()).empty());
    }
}

// Interactively the card and the file are named first; Cancel writes
// nothing. Either way the window then starts as usual, over the card as it is.
TEST(RestorePda, InteractiveAsksFirstAndTheWindowGoesOn) {
    testsupport::TempDir dir;
    for (int answer : {meru::kAnswerCancel, meru::kAnswerOk}) {
        SCOPED_TRACE(answer == meru::kAnswerOk ? "OK" : "Cancel");
        ToolsRig cleared;
        cleared.StartWithTools().OnCommand(IDM_CLEAR_PDA);
        const std::string backup = BackupFiles(cleared.log.Path()).at(0);

        ToolsRig rig;
        rig.card = cleared.card;
        const std::vector<uint16_t> before = sim::ReadPdaWords(rig.card.State());
        rig.boxes.answers = {answer};
        rig.StartFromCommandLine({"-restorepda", backup});

        ASSERT_FALSE(rig.boxes.boxes.empty());
        const testsupport::RecordingMessageBoxes::Box& asked = rig.boxes.boxes[0];
        EXPECT_EQ(asked.caption, "PDA Restore");
        EXPECT_EQ(asked.type, 0x31u) << "OK, Cancel and a warning";
        EXPECT_NE(asked.text.find("\"VELOX"), std::string::npos) << asked.text;
        EXPECT_NE(asked.text.find("(MAC address 00-60-1D-12-34-56)"), std::string::npos) << asked.text;
        EXPECT_NE(asked.text.find("the 12 records of \"" + backup + "\""), std::string::npos) << asked.text;
        EXPECT_EQ(rig.view.ended, -1) << "the window stays";
        EXPECT_TRUE(rig.view.windowShown);
        if (answer == meru::kAnswerCancel) {
            EXPECT_EQ(rig.boxes.boxes.size(), 1u);
            EXPECT_EQ(sim::ReadPdaWords(rig.card.State()), before);
            EXPECT_EQ(rig.view.texts.pdaMac, "") << "the window shows the card as it is";
        } else {
            ASSERT_EQ(rig.boxes.boxes.size(), 2u);
            EXPECT_EQ(rig.boxes.boxes[1].text,
                      "The PDA of \"" + backup + "\" was written to the card and read back: 12 records.");
            EXPECT_EQ(rig.view.texts.pdaMac, "00-60-1D-12-34-56");
            EXPECT_EQ(rig.view.texts.serialNumber, "99SA00012345");
        }
    }
}

}  // namespace
