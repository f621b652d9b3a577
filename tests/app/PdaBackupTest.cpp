// The backup an update writes before it merges .pda files into the card's
// production data: named after the card (its PDA's MAC address and its
// permanent address), not after what was merged; one file per backup even
// within one second; written with -nolog too.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "WindowRig.h"
#include "image/Pda.h"
#include "sim/PdaArea.h"
#include "support/TempDir.h"

namespace {

using apptest::OlderCard;
using apptest::WindowRig;

const char kStamp[] = "-20261208-060509";  // FakeSystem's local time
const std::string kCardStem = "pda-00601D123456-00601D998877";  // the PDA's MAC, the permanent address
const char kNewMac[] = "0x0004, 0x0101, 0x6000, 0xAB1D, 0xEFCD\n";  // 00-60-1D-AB-CD-EF
const char kNewSerial[] = "0x0007, 0x0003, 0x3939, 0x4E4E, 0x3030, 0x3030, 0x3131, 0x3232\n";

// The backup files beside the session log, by name.
std::vector<std::string> Backups(const std::string& logPath) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(logPath).parent_path())) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("pda-", 0) == 0) names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// The card's production data without its MAC address record.
void DropMacRecord(sim::CardState& card) {
    const std::vector<uint16_t> words = sim::ReadPdaWords(card);
    std::vector<uint16_t> kept;
    for (const sim::PdaRecordSpan& record : sim::WalkPda(words).records) {
        if (record.code == 0x0101) continue;
        kept.insert(kept.end(), words.begin() + static_cast<long>(record.index),
                    words.begin() + static_cast<long>(record.index + record.length + 1));
    }
    sim::CloseWithCrc(kept);
    ASSERT_TRUE(sim::WritePdaWords(card, kept));
}

TEST(PdaBackup, NamedAfterTheCardOncePerBackupAndWrittenWithoutTheLog) {
    struct Case {
        const char* name;
        std::vector<std::string> options;
        bool cardWithoutMac;  // the PDA holds no MAC record: the permanent address names it
        const char* pdaFile;
        std::vector<std::string> backups;
        bool logged;
    };
    const Case cases[] = {
        {"merged MAC", {"-quiet"}, false, kNewMac, {kCardStem + kStamp + ".pda"}, true},
        {"-nolog", {"-quiet", "-nolog"}, false, kNewMac, {kCardStem + kStamp + ".pda"}, false},
        {"two in one second",
         {"-quiet", "-olderOK", "-repeat", "2"},
         false,
         kNewSerial,
         {kCardStem + kStamp + "-2.pda", kCardStem + kStamp + ".pda"},
         true},
        {"card without MAC", {"-quiet"}, true, kNewMac, {std::string("pda-nomac-00601D998877") + kStamp + ".pda"},
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::TempDir dir;
        const std::string pdaFile = dir.File("merged.pda");
        testsupport::WriteWholeFile(pdaFile, c.pdaFile);
        WindowRig rig(1, WindowRig::kPlatform, OlderCard());
        rig.card.State().permanentAddress = {0x00, 0x60, 0x1D, 0x99, 0x88, 0x77};
        if (c.cardWithoutMac) DropMacRecord(rig.card.State());
        meru::Pda before;
        const std::vector<uint16_t> original = sim::ReadPdaWords(rig.card.State());
        before.ParseWords(original.data(), static_cast<uint16_t>(original.size()));

        std::vector<std::string> args = c.options;
        args.push_back(pdaFile);
        rig.Start(args);
        ASSERT_EQ(rig.view.ended, 1);
        if (c.pdaFile == kNewMac) {
            ASSERT_EQ(rig.window->Texts().pdaMac, "00-60-1D-AB-CD-EF") << "the merged MAC is on the card";
        }

        EXPECT_EQ(Backups(rig.log.Path()), c.backups);
        const std::string folder = std::filesystem::path(rig.log.Path()).parent_path().string() + "/";
        uint16_t saved[meru::Pda::kMaxWords] = {};
        const uint16_t count = meru::ReadPdaTextFile(folder + c.backups.back(), saved);
        meru::Pda backup;
        ASSERT_NE(backup.ParseWords(saved, count), 0);
        EXPECT_EQ(backup.Records(), before.Records()) << "the first backup holds the card's own data";
        EXPECT_EQ(rig.log.Text().empty(), !c.logged);
    }
}

}  // namespace
