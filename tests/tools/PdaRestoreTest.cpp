// "-restorepda FILE" against the software card: a backup put back word for
// word whatever the card's PDA has become, the refusals that write nothing,
// and the interactive confirmation.
#include <gtest/gtest.h>

#include <algorithm>
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
const std::array<uint8_t, 6> kFactoryMac = {0x00, 0x60, 0x1D, 0x12, 0x34, 0x56};

void AddFaults(sim::SoftwareCard& card, const std::vector<std::string>& faults) {
    for (const std::string& fault : faults) {
        std::string error;
        ASSERT_TRUE(card.AddFault(fault, error)) << fault << ": " << error;
    }
}

// The card's production data up to and including its end record.
std::vector<uint16_t> StoredWords(const sim::CardState& card) {
    std::vector<uint16_t> words = sim::ReadPdaWords(card);
    words.resize(*sim::WalkPda(words).endIndex + 3);
    return words;
}

// The records of `words` (through the end record) changed by `edit`, closed
// with a fresh end record.
std::vector<uint16_t> Edited(const std::vector<uint16_t>& words,
                             const std::function<void(std::vector<uint16_t>&)>& edit) {
    std::vector<uint16_t> records(words.begin(), words.end() - 3);
    edit(records);
    sim::CloseWithCrc(records);
    return records;
}

// The card's PDA is damaged (or cleared) through a tool; a quiet restore of
// the backup that tool wrote gives back every word of the area as it was
// before: nothing merged, nothing derived, whatever the area held (a list
// of bad check value too).
TEST(RestorePda, PutsTheBackupBackWordForWord) {
    struct Case {
        const char* name;
        std::function<void(ToolsRig&)> before;  // the card before the tool
        std::vector<std::string> damageFaults;  // during the tool's write
        int command;                            // the tool; 0: a restore of another file
        std::string restoreBackupName;          // of what the damaged card held
    };
    testsupport::TempDir dir;
    const std::string good = dir.File("good.pda");
    const Case cases[] = {
        {"after Clear", nullptr, {}, IDM_CLEAR_PDA, std::string("pda-nomac-00601D998877") + kStamp + ".pda"},
        {"after Clear, the PDA holding a record twice",
         [](ToolsRig& r) {
             std::vector<uint16_t> words = StoredWords(r.card.State());
             const std::vector<uint16_t> second = {0x0007, 0x0003, 0x3232, 0x3232, 0x3232, 0x3232, 0x3232, 0x3232};
             words.insert(words.end() - 3, second.begin(), second.end());
             words.resize(words.size() - 3);
             sim::CloseWithCrc(words);
             ASSERT_TRUE(sim::WritePdaWords(r.card.State(), words));
         },
         {}, IDM_CLEAR_PDA, std::string("pda-nomac-00601D998877") + kStamp + ".pda"},
        {"after a corrupt edit", nullptr, {"download-corrupt once"}, IDM_EDIT_MAC_SERIAL,
         std::string("pda-nomac-00601D998877") + kStamp + ".pda"},
        {"a PDA of bad check value, after a restore over it",
         [](ToolsRig& r) {
             r.card.State().permanentAddress = kFactoryMac;  // the card's own, with its PDA invalid
             ASSERT_TRUE(sim::CorruptPdaCrc(r.card.State()));
         },
         {}, 0, std::string("pda-00601D123456-00601D123456") + kStamp + ".pda"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ToolsRig damaged;
        damaged.card.State().permanentAddress = kOtherPermanentAddress;
        testsupport::WriteWholeFile(good, toolstest::PdaFileText(StoredWords(damaged.card.State())));
        if (c.before) c.before(damaged);
        const std::vector<uint16_t> factory = sim::ReadPdaWords(damaged.card.State());
        if (c.command != 0) {
            meru::MainWindow& window = damaged.StartWithTools();
            AddFaults(damaged.card, c.damageFaults);
            damaged.toolsView.edit = [](meru::PdaEditFields& fields) {
                fields.macText = "00-60-1D-AB-CD-EF";
                return true;
            };
            window.OnCommand(c.command);
        } else {
            damaged.StartFromCommandLine({"-quiet", "-restorepda", good});
            ASSERT_EQ(damaged.view.ended, 1) << damaged.log.Text();
        }
        ASSERT_NE(sim::ReadPdaWords(damaged.card.State()), factory);
        const std::vector<std::string> backups = BackupFiles(damaged.log.Path());
        ASSERT_EQ(backups.size(), 1u);

        ToolsRig restore;
        restore.card = damaged.card;
        restore.card.State().faults = sim::FaultSet();
        restore.StartFromCommandLine({"-quiet", "-restorepda", backups[0]});

        EXPECT_EQ(restore.view.ended, 1) << restore.log.Text();
        EXPECT_EQ(sim::ReadPdaWords(restore.card.State()), factory);
        EXPECT_TRUE(restore.boxes.boxes.empty()) << "quiet: no box";
        EXPECT_NE(restore.log.Text().find("PDA written: 12 records ( 0x0001 0x0002 0x0003 0x0004 0x0008 0x0101 "
                                          "0x0103 0x0104 0x0200 0x0204 0x0900 0x0901 ), 125 words"),
                  std::string::npos)
            << restore.log.Text();
        const std::vector<std::string> saved = BackupFiles(restore.log.Path());
        ASSERT_EQ(saved.size(), 1u);
        EXPECT_EQ(std::filesystem::path(saved[0]).filename().string(), c.restoreBackupName);
        EXPECT_FALSE(restore.window->Adapter().IsOpen());
        EXPECT_FALSE(restore.card.State().session.protocolsBlocked) << "the session is concluded";
    }
}

// A restore writes only a whole PDA of this card, over an area it could
// save first. Anything else writes nothing, ends a quiet session with exit
// code 1 and says why in the log.
TEST(RestorePda, RefusalsWriteNothing) {
    testsupport::TempDir dir;
    ToolsRig factory;
    const std::vector<uint16_t> whole = StoredWords(factory.card.State());
    const auto file = [&dir](const char* name, const std::string& text) {
        testsupport::WriteWholeFile(dir.File(name), text);
        return dir.File(name);
    };
    const std::string good = file("good.pda", toolstest::PdaFileText(whole));
    std::vector<uint16_t> changed = whole;
    changed[changed.size() - 10] ^= 0x0100;  // one calibration word, the end record kept
    const std::vector<uint16_t> otherMac = Edited(whole, [](std::vector<uint16_t>& records) {
        for (size_t at = 0; at < records.size(); at += records[at] + 1u) {
            if (records[at + 1] == 0x0101) records[at + 4] = 0xEFCD;
        }
    });
    const std::vector<uint16_t> shortMac = Edited(whole, [](std::vector<uint16_t>& records) {
        for (size_t at = 0; at < records.size(); at += records[at] + 1u) {
            if (records[at + 1] == 0x0101) {
                records[at] = 2;
                records.erase(records.begin() + static_cast<long>(at) + 3, records.begin() + static_cast<long>(at) + 5);
            }
        }
    });
    const std::vector<uint16_t> oversized = Edited(whole, [](std::vector<uint16_t>& records) {
        const std::vector<uint16_t> filler = {static_cast<uint16_t>(510 - records.size() - 1), 0x0444};
        records.insert(records.end(), filler.begin(), filler.end());
        records.resize(510, 0x1111);
    });
    std::string cutText = toolstest::PdaFileText(whole);
    for (int i = 0; i < 4; ++i) cutText.erase(cutText.rfind('\n', cutText.size() - 2) + 1);  // 3 records and the end
    struct Case {
        const char* name;
        std::string file;
        std::vector<std::string> options;
        std::function<void(ToolsRig&)> card;
        const char* reason;
    };
    const Case cases[] = {
        {"no such file", dir.File("missing.pda"), {}, nullptr, "could not be loaded as a .pda file"},
        {"incomplete record", file("incomplete.pda", "0x0005, 0x0008, 0x0201\n"), {}, nullptr,
         "could not be loaded as a .pda file"},
        {"no platform record", file("no-platform.pda", "0x0004, 0x0101, 0x6000, 0x121D, 0x5634\n"), {}, nullptr,
         "holds no platform record (0x0008)"},
        {"no MAC record", file("no-mac.pda", "0x0005, 0x0008, 0x0201, 0x0001, 0x0001, 0x0000\n"), {}, nullptr,
         "holds no MAC address record (0x0101)"},
        {"a two-record stub",
         file("stub.pda", "0x0005, 0x0008, 0x0201, 0x0001, 0x0001, 0x0000\n0x0004, 0x0101, 0x6000, 0x121D, 0x5634\n"),
         {}, nullptr, "holds no end record"},
        {"cut short at a line end", file("cut.pda", cutText), {}, nullptr, "holds no end record"},
        {"check value does not match", file("changed.pda", toolstest::PdaFileText(changed)), {}, nullptr,
         "does not match its records"},
        {"one-word MAC record", file("short-mac.pda", toolstest::PdaFileText(shortMac)), {}, nullptr,
         "record 0x0101 has the length word 0x0002, not 0x0004"},
        {"over 512 words", file("oversized.pda", toolstest::PdaFileText(oversized)), {}, nullptr,
         "could not be loaded as a .pda file"},
        {"another card's MAC", file("other.pda", toolstest::PdaFileText(otherMac)), {}, nullptr,
         "names the MAC address 00-60-1D-12-CD-EF, not the card's 00-60-1D-12-34-56"},
        {"no card", good, {}, [](ToolsRig& r) { r.library.DetachCards(); }, "No adapter was found."},
        {"driver too old", good, {}, [](ToolsRig& r) { AddFaults(r.card, {"driver-too-old"}); },
         "requires a newer driver version"},
        {"the card's PDA unreadable", good, {},
         [](ToolsRig& r) {
             AddFaults(r.card,
                       {"read-refuse nth 1 range 0x7F0000 0x7F03FF", "read-refuse nth 2 range 0x7F0000 0x7F03FF"});
         },
         "The card's PDA could not be read. It cannot be saved first."},
        {"the card's PDA reads differently", good, {},
         [](ToolsRig& r) { AddFaults(r.card, {"flaky-reads 0x7F0000 0x7F03FF"}); },
         "The card's PDA read differently twice in a row."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ToolsRig rig;
        if (c.card) c.card(rig);
        const std::vector<uint16_t> before = sim::ReadPdaWords(rig.card.State());
        std::vector<std::string> args = {"-quiet", "-restorepda", c.file};
        args.insert(args.end(), c.options.begin(), c.options.end());
        rig.StartFromCommandLine(args);
        EXPECT_EQ(rig.view.ended, 0);
        EXPECT_EQ(rig.Requests(sim::kOidDownload), 0u);
        EXPECT_EQ(sim::ReadPdaWords(rig.card.State()), before);
        const std::string log = rig.log.Text();
        EXPECT_NE(log.find(std::string(c.reason)), std::string::npos) << log;
        EXPECT_NE(log.find("Nothing was written to the card."), std::string::npos) << log;
        EXPECT_TRUE(BackupFiles(rig.log.Path()).empty());
    }
    // The override writes another card's file, after the backup.
    ToolsRig rig;
    rig.StartFromCommandLine({"-quiet", "-restorepda", dir.File("other.pda"), "-otherMacOK"});
    EXPECT_EQ(rig.view.ended, 1) << rig.log.Text();
    EXPECT_EQ(StoredWords(rig.card.State()), otherMac);
    EXPECT_EQ(BackupFiles(rig.log.Path()).size(), 1u);
}

// Interactively the card and the file are named first; Cancel writes
// nothing. A file of another card names both addresses and makes Cancel
// the default. Either way the window then starts as usual, over the card
// as it is.
TEST(RestorePda, InteractiveAsksFirstAndTheWindowGoesOn) {
    struct Case {
        const char* name;
        int answer;
        bool otherCard;  // the card restored to has another permanent address
        unsigned type;
        const char* cardMac;
    };
    const Case cases[] = {
        {"Cancel", meru::kAnswerCancel, false, 0x31u, "00-60-1D-12-34-56"},
        {"OK", meru::kAnswerOk, false, 0x31u, "00-60-1D-12-34-56"},
        {"OK, another card", meru::kAnswerOk, true, 0x131u, "00-60-1D-99-88-77"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ToolsRig cleared;
        cleared.StartWithTools().OnCommand(IDM_CLEAR_PDA);
        const std::string backup = BackupFiles(cleared.log.Path()).at(0);

        ToolsRig rig;
        rig.card = cleared.card;
        if (c.otherCard) rig.card.State().permanentAddress = kOtherPermanentAddress;
        const std::vector<uint16_t> before = sim::ReadPdaWords(rig.card.State());
        rig.boxes.answers = {c.answer};
        rig.StartFromCommandLine({"-restorepda", backup});

        ASSERT_FALSE(rig.boxes.boxes.empty());
        const testsupport::RecordingMessageBoxes::Box& asked = rig.boxes.boxes[0];
        EXPECT_EQ(asked.caption, "PDA Restore");
        EXPECT_EQ(asked.type, c.type) << "OK, Cancel and a warning (Cancel the default for another card)";
        EXPECT_NE(asked.text.find("\"VELOX"), std::string::npos) << asked.text;
        EXPECT_NE(asked.text.find(std::string("(MAC address ") + c.cardMac + ")"), std::string::npos) << asked.text;
        EXPECT_NE(asked.text.find("the production data area saved in \"" + backup + "\""), std::string::npos)
            << asked.text;
        EXPECT_EQ(asked.text.find("it names the MAC address 00-60-1D-12-34-56") != std::string::npos, c.otherCard)
            << asked.text;
        EXPECT_EQ(rig.view.ended, -1) << "the window stays";
        EXPECT_TRUE(rig.view.windowShown);
        if (c.answer == meru::kAnswerCancel) {
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
