// Every card fault against every operation that writes to the card (the
// quiet update, the PDA edit and clear) and the dump: what the user is told,
// whether the card's production data survives (on the card, or in the
// backup written before the write), and whether a quiet run without the
// fault brings an interrupted update to the intended firmware. Prints the
// matrix as a table.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ToolsRig.h"
#include "app/ResourceIds.h"
#include "image/Pda.h"
#include "sim/CardMemory.h"
#include "sim/FlashIdentity.h"
#include "sim/PdaArea.h"

namespace {

using apptest::ProcessEnded;
using toolstest::ToolsRig;

constexpr uint32_t kPdaAddress = 0x7F0000;

struct Fault {
    const char* name;
    std::function<void(sim::SoftwareCard&)> apply;
};

void Add(sim::SoftwareCard& card, const std::string& fault) {
    std::string error;
    ASSERT_TRUE(card.AddFault(fault, error)) << fault << ": " << error;
}

const Fault kFaults[] = {
    {"refused OID (block protocols)", [](sim::SoftwareCard& c) { Add(c, "refuse 0xFF010187 always"); }},
    {"flaky reads", [](sim::SoftwareCard& c) { Add(c, "flaky-reads 0x7E0000 0x7FFFFF"); }},
    {"failed write once", [](sim::SoftwareCard& c) { Add(c, "download-fail once"); }},
    {"failed write always", [](sim::SoftwareCard& c) { Add(c, "download-fail always"); }},
    {"partial download", [](sim::SoftwareCard& c) { Add(c, "download-partial once"); }},
    {"wrong download", [](sim::SoftwareCard& c) { Add(c, "download-corrupt once"); }},
    {"power loss mid-image", [](sim::SoftwareCard& c) { Add(c, "power-loss after 20"); }},
    {"old driver", [](sim::SoftwareCard& c) { Add(c, "driver-too-old"); }},
    {"bad PDA CRC", [](sim::SoftwareCard& c) { sim::CorruptPdaCrc(c.State()); }},
    {"library start-up error", [](sim::SoftwareCard& c) { c.State().libraryLastError = 2; }},
};

using apptest::OlderCard;

std::vector<uint16_t> PdaWords(const sim::SoftwareCard& card) {
    return sim::ReadCardWords(card.State(), kPdaAddress, 512);
}

bool ValidPda(const std::vector<uint16_t>& words) {
    meru::Pda pda;
    pda.ParseWords(words.data(), static_cast<uint16_t>(words.size()));
    return pda.SawEndRecord() && pda.StoredCrc() == pda.ReadCrc();
}

// The records of a backup file beside the session log equal those of `words`.
bool BackupHolds(const std::string& logPath, const std::vector<uint16_t>& words) {
    const std::filesystem::path folder = std::filesystem::path(logPath).parent_path();
    meru::Pda original;
    original.ParseWords(words.data(), static_cast<uint16_t>(words.size()));
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("pda-", 0) != 0) continue;
        uint16_t saved[meru::Pda::kMaxWords] = {};
        const uint16_t count = meru::ReadPdaTextFile(entry.path().string(), saved);
        meru::Pda backup;
        if (count != 0 && backup.ParseWords(saved, count) != 0 && backup.Records() == original.Records()) return true;
    }
    return false;
}

bool Intended(const sim::SoftwareCard& card) {
    const sim::FactoryFirmware primary = sim::ReportedFirmware(card.State(), sim::Component::kPrimary);
    const sim::FactoryFirmware station = sim::ReportedFirmware(card.State(), sim::Component::kStation);
    return primary.fileName == "PK010400.HEX" && primary.minor == 4 && station.fileName == "SA010500.HEX" &&
           station.minor == 5;
}

struct Cell {
    std::string outcome;
    std::string pda;        // same, rewritten, damaged (backup), LOST
    std::string recovered;  // yes, NO, - (nothing interrupted)
};

std::string LastBox(const ToolsRig& rig) {
    const std::vector<std::string> texts = rig.BoxTexts();
    return texts.empty() ? "no box" : texts.back().substr(0, 40);
}

// The card's production data after an operation, compared with before.
std::string PdaState(const sim::SoftwareCard& card, const std::vector<uint16_t>& before, const std::string& logPath) {
    const std::vector<uint16_t> after = PdaWords(card);
    if (after == before) return "same";
    if (ValidPda(after)) return "rewritten";
    return BackupHolds(logPath, before) ? "damaged, backup" : "LOST";
}

Cell QuietUpdate(const Fault& fault) {
    Cell cell;
    auto rig = std::make_unique<apptest::WindowRig>(1, apptest::WindowRig::kPlatform, OlderCard());
    fault.apply(rig->card);
    const std::vector<uint16_t> before = PdaWords(rig->card);
    int exitCode = -1;
    try {
        rig->Start({"-quiet"});
        if (rig->view.ended >= 0) exitCode = rig->view.ended == 1 ? 0 : 1;
    } catch (const ProcessEnded& ended) {
        exitCode = ended.code;
    }
    const bool written = rig->Requests(0xFF01018C) > 0;
    // Without its library the window ignores -quiet and waits for the user.
    cell.outcome = exitCode < 0 ? "window stays open" : "exit " + std::to_string(exitCode);
    cell.outcome += written ? ", flash written" : ", nothing written";
    cell.pda = PdaState(rig->card, before, rig->log.Path());
    if (exitCode == 0 && Intended(rig->card)) {
        cell.recovered = "-";
        return cell;
    }
    // The card without the fault, as it came out of the run.
    apptest::WindowRig again(1, apptest::WindowRig::kPlatform, OlderCard());
    again.card = rig->card;
    again.card.State().faults = sim::FaultSet();
    again.card.State().libraryLastError = 6;
    again.card.Reinsert();
    if (!ValidPda(PdaWords(again.card))) {
        cell.recovered = "- (PDA invalid: no update)";
        return cell;
    }
    again.Start({"-quiet", "-olderOK"});
    cell.recovered = again.view.ended == 1 && Intended(again.card) ? "yes" : "NO";
    return cell;
}

Cell ToolOperation(const Fault& fault, int command) {
    Cell cell;
    ToolsRig rig;
    fault.apply(rig.card);
    const std::vector<uint16_t> before = PdaWords(rig.card);
    rig.toolsView.edit = [](meru::PdaEditFields& fields) {
        fields.macText = "00-60-1D-AB-CD-EF";
        return true;
    };
    rig.toolsView.dumpPath = rig.log.Path() + ".dump.hex";
    rig.boxes.answers = {meru::kAnswerOk, meru::kAnswerOk, meru::kAnswerOk};
    try {
        rig.StartWithTools().OnCommand(command);
    } catch (const ProcessEnded& ended) {
        cell.outcome = "exit " + std::to_string(ended.code);
    }
    if (cell.outcome.empty()) cell.outcome = LastBox(rig);
    if (command == IDM_DUMP_FIRMWARE) {
        cell.outcome += std::filesystem::exists(rig.toolsView.dumpPath) ? " [file]" : " [no file]";
    }
    cell.pda = PdaState(rig.card, before, rig.log.Path());
    cell.recovered = "-";
    return cell;
}

TEST(FaultMatrix, ProductionDataIsNeverLostAndInterruptedUpdatesRecover) {
    struct Operation {
        const char* name;
        std::function<Cell(const Fault&)> run;
        bool mayRewritePda;
    };
    const Operation operations[] = {
        {"quiet update", QuietUpdate, false},
        {"PDA edit", [](const Fault& f) { return ToolOperation(f, IDM_EDIT_MAC_SERIAL); }, true},
        {"PDA clear", [](const Fault& f) { return ToolOperation(f, IDM_CLEAR_PDA); }, true},
        {"dump", [](const Fault& f) { return ToolOperation(f, IDM_DUMP_FIRMWARE); }, false},
    };
    std::printf("%-30s | %-12s | %-48s | %-16s | %s\n", "fault", "operation", "outcome", "PDA", "recovered");
    for (const Fault& fault : kFaults) {
        for (const Operation& operation : operations) {
            SCOPED_TRACE(std::string(fault.name) + " / " + operation.name);
            const Cell cell = operation.run(fault);
            std::printf("%-30s | %-12s | %-48s | %-16s | %s\n", fault.name, operation.name, cell.outcome.c_str(),
                        cell.pda.c_str(), cell.recovered.c_str());
            EXPECT_NE(cell.pda, "LOST");
            if (!operation.mayRewritePda) {
                EXPECT_NE(cell.pda, "rewritten");
            }
            EXPECT_NE(cell.recovered, "NO");
            // A file is only left behind when the dump says it saved one.
            if (cell.outcome.find("[file]") != std::string::npos) {
                EXPECT_EQ(cell.outcome.rfind("File Saved Successfully.", 0), 0u) << cell.outcome;
            }
        }
    }
}

}  // namespace
