// Every card fault against every operation it can strike: the quiet update
// (with and without a .pda file), the PDA edit and clear, the dump, Show PDA
// followed by an edit, and the quiet PDA writes (an update merging a .pda
// file, -restorepda), each with its backup. Each cell shows that its fault
// fired (the software card counts them), what the user is told, what the
// card's production data became (compared word for word with what was
// meant), and whether the card comes back: a quiet run without the fault for
// the update (after "-restorepda" of the backup when its PDA was damaged),
// "-restorepda" of the backup for the PDA tools. What an update should write
// comes from the software card's own model, never from the updater. Every
// cell also checks what the process leaves behind when it ends, fatal ends
// included: no adapter open, no protocols blocked, no session left
// unconcluded. The expected cells are data in one table; the test prints the
// matrix as it finds it.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ToolsRig.h"
#include "app/PdaBackup.h"
#include "app/ResourceIds.h"
#include "sim/CardProtocol.h"
#include "sim/PdaArea.h"
#include "sim/UpdatedCard.h"
#include "support/TempDir.h"

namespace {

using apptest::OlderCard;
using apptest::ProcessEnded;
using apptest::WindowRig;
using toolstest::BackupFiles;
using toolstest::ToolsRig;

const char kNewMac[] = "00-60-1D-AB-CD-EF";
const std::vector<uint16_t> kNewMacWords = {0x6000, 0xAB1D, 0xEFCD};

enum class Operation { kQuietUpdate, kQuietUpdateWithPda, kEdit, kClear, kDump, kShowThenEdit, kPdaUpdate, kRestore };

const char* OperationName(Operation operation) {
    switch (operation) {
    case Operation::kQuietUpdate: return "quiet update";
    case Operation::kQuietUpdateWithPda: return "update + .pda";
    case Operation::kEdit: return "PDA edit";
    case Operation::kClear: return "PDA clear";
    case Operation::kDump: return "dump";
    case Operation::kShowThenEdit: return "show, then edit";
    case Operation::kPdaUpdate: return "update + .pda, backup";
    case Operation::kRestore: return "restore";
    }
    return "?";
}

struct Fault {
    const char* name;
    std::function<void(sim::SoftwareCard&)> apply;
    std::vector<std::string> kinds;  // what the card counts when it fires
    bool blocksBackup = false;       // every name the PDA backup may take is a folder
};

void Add(sim::SoftwareCard& card, const std::string& fault) {
    std::string error;
    ASSERT_TRUE(card.AddFault(fault, error)) << fault << ": " << error;
}

Fault RuleFault(const char* name, std::vector<std::string> rules, std::vector<std::string> kinds) {
    return {name, [rules](sim::SoftwareCard& card) { for (const std::string& rule : rules) Add(card, rule); }, kinds};
}

const Fault kRefusedBlock = RuleFault("refused OID (block protocols)", {"refuse 0xFF010187 always"}, {"refuse"});
const Fault kFlakyReads = RuleFault("flaky reads", {"flaky-reads 0x7E0000 0x7FFFFF"}, {"flaky-reads"});
const Fault kFailedOnce = RuleFault("failed write once", {"download-fail once"}, {"download-fail"});
const Fault kFailedAlways = RuleFault("failed write always", {"download-fail always"}, {"download-fail"});
const Fault kPartial = RuleFault("partial download", {"download-partial once"}, {"download-partial"});
const Fault kWrong = RuleFault("wrong download", {"download-corrupt once"}, {"download-corrupt"});
const Fault kPowerMidImage = RuleFault("power loss mid-image", {"power-loss after 20"}, {"power-loss"});
// The power goes while the PDA block is being stored: half of it reaches the flash.
const Fault kPowerInPda = RuleFault("power loss in PDA write", {"download-partial once", "power-loss after 1"},
                                    {"download-partial", "power-loss"});
const Fault kOldDriver = RuleFault("old driver", {"driver-too-old"}, {"driver-too-old"});
const Fault kBadCrc = {"bad PDA CRC", [](sim::SoftwareCard& card) { ASSERT_TRUE(sim::CorruptPdaCrc(card.State())); },
                       {"pda-bad-crc"}};
const Fault kPdaReadsRefused = RuleFault(
    "PDA reads refused", {"read-refuse nth 1 range 0x7F0000 0x7F03FF", "read-refuse nth 2 range 0x7F0000 0x7F03FF"},
    {"read-refuse"});
const Fault kBit31Only = RuleFault("PDA read with bit 31 only", {"pda-bit31-only"}, {"pda-bit31-only"});
const Fault kBackupBlocked = {"backup not writable", [](sim::SoftwareCard&) {}, {}, true};
const Fault kLibraryError = {"library start-up error",
                             [](sim::SoftwareCard& card) { card.State().libraryLastError = 2; }, {"library-error"}};

// What a cell must show. PDA: same, rewritten (word for word what the tool
// meant to write), damaged (no valid list), WRONG (a valid list that was not
// meant). Recovered: yes, NO, or "-" when there is nothing to recover.
struct Expected {
    std::string outcome;
    std::string pda;
    std::string recovered;
};

struct Row {
    const Fault& fault;
    Operation operation;
    Expected expected;
};

// The start of the last box, as a cell shows it.
std::string Box(const char* text) { return std::string(text).substr(0, 40); }

const std::string kUnreadable = Box("The PDA could not be read from the card, or it failed its check.");
const std::string kUnchanged = Box("The card's PDA already holds this MAC address and serial number.");
const std::string kEdited = Box("PDA Update Successful! You MUST reload station code for changes to take effect.");
const std::string kCleared = Box("PDA cleared. Set a valid MAC address before programming station code.");
const std::string kWriteFailed = Box("PDA Update Failed. Unable to write to card.");
const std::string kTooOld = Box("This program requires a newer driver version to update cards.");
const std::string kNotOpened = Box("Cannot open selected adapter. Was it removed?");

// The matrix: a fault's cell is missing where the operation never meets it
// (the dump blocks no protocols, writes nothing, asks no driver version and
// does not read the PDA whole; only the update writes 20 blocks).
const Row kRows[] = {
    {kRefusedBlock, Operation::kQuietUpdate, {"exit 1, nothing sent", "same", "yes"}},
    {kRefusedBlock, Operation::kEdit, {kWriteFailed + ", data sent", "same", "-"}},
    {kRefusedBlock, Operation::kClear, {kWriteFailed + ", data sent", "same", "-"}},

    {kFlakyReads, Operation::kQuietUpdate, {"exit 1, nothing sent", "same", "yes"}},
    {kFlakyReads, Operation::kEdit, {kUnreadable + ", nothing sent", "same", "-"}},
    {kFlakyReads, Operation::kClear, {kUnreadable + ", nothing sent", "same", "-"}},
    {kFlakyReads, Operation::kDump, {"Too many read errors. Aborting. [no file], nothing sent", "same", "-"}},
    // The reviewed case: the window's PDA emptied by a failed read is never written.
    {kFlakyReads, Operation::kShowThenEdit,
     {kUnchanged + ", nothing sent", "same", "-"}},

    {kFailedOnce, Operation::kQuietUpdate, {"exit 0, data sent", "same", "-"}},
    {kFailedOnce, Operation::kEdit, {kEdited + ", data sent", "rewritten", "yes"}},
    {kFailedOnce, Operation::kClear, {kCleared + ", data sent", "rewritten", "yes"}},

    {kFailedAlways, Operation::kQuietUpdate, {"exit 1, data sent", "same", "yes"}},
    {kFailedAlways, Operation::kEdit, {kWriteFailed + ", data sent", "same", "-"}},
    {kFailedAlways, Operation::kClear, {kWriteFailed + ", data sent", "same", "-"}},

    // Image writes are not read back: the card keeps a block it stored otherwise.
    {kPartial, Operation::kQuietUpdate, {"exit 1, data sent", "same", "yes"}},
    {kPartial, Operation::kEdit, {kWriteFailed + ", data sent", "damaged", "yes"}},
    {kPartial, Operation::kClear, {kWriteFailed + ", data sent", "damaged", "yes"}},

    {kWrong, Operation::kQuietUpdate, {"exit 1, data sent", "same", "yes"}},
    {kWrong, Operation::kEdit, {kWriteFailed + ", data sent", "damaged", "yes"}},
    {kWrong, Operation::kClear, {kWriteFailed + ", data sent", "damaged", "yes"}},

    {kPowerMidImage, Operation::kQuietUpdate, {"exit 1, data sent", "same", "yes"}},
    // The merged PDA is the first block written: half of it reaches the flash.
    {kPowerInPda, Operation::kQuietUpdateWithPda, {"exit 1, data sent", "damaged", "yes"}},
    {kFailedAlways, Operation::kQuietUpdateWithPda, {"exit 1, data sent", "same", "yes"}},
    {kWrong, Operation::kQuietUpdateWithPda, {"exit 1, data sent", "damaged", "yes"}},
    {kPowerInPda, Operation::kEdit, {kWriteFailed + ", data sent", "damaged", "yes"}},
    {kPowerInPda, Operation::kClear, {kWriteFailed + ", data sent", "damaged", "yes"}},

    {kOldDriver, Operation::kQuietUpdate, {"exit 1, nothing sent", "same", "yes"}},
    {kOldDriver, Operation::kEdit, {kTooOld + ", nothing sent", "same", "-"}},
    {kOldDriver, Operation::kClear, {kTooOld + ", nothing sent", "same", "-"}},

    {kBadCrc, Operation::kQuietUpdate, {"exit 1, nothing sent", "same", "- (PDA invalid: no update)"}},
    {kBadCrc, Operation::kEdit, {kUnreadable + ", nothing sent", "same", "-"}},
    {kBadCrc, Operation::kClear, {kUnreadable + ", nothing sent", "same", "-"}},

    // Without its library the window ignores -quiet and waits for the user.
    {kLibraryError, Operation::kQuietUpdate, {"window stays open, nothing sent", "same", "yes"}},
    {kLibraryError, Operation::kEdit, {kNotOpened + ", nothing sent", "same", "-"}},
    {kLibraryError, Operation::kClear, {kNotOpened + ", nothing sent", "same", "-"}},
    {kLibraryError, Operation::kDump, {kNotOpened + " [no file], nothing sent", "same", "-"}},

    // The PDA writes of a quiet run: an update that merges a .pda file (a
    // new serial number) and "-restorepda" of a file of this card (its
    // records with that serial). Nothing is written over an area that did
    // not read the same twice or could not be saved first.
    {kPdaReadsRefused, Operation::kPdaUpdate, {"exit 1, nothing sent", "same", "-"}},
    {kPdaReadsRefused, Operation::kRestore, {"exit 1, nothing sent", "same", "-"}},
    {kFlakyReads, Operation::kPdaUpdate, {"exit 1, nothing sent", "same", "-"}},
    {kFlakyReads, Operation::kRestore, {"exit 1, nothing sent", "same", "-"}},
    {kBit31Only, Operation::kPdaUpdate, {"exit 0, data sent", "rewritten", "yes"}},
    {kBit31Only, Operation::kRestore, {"exit 0, data sent", "rewritten", "yes"}},
    {kPartial, Operation::kPdaUpdate, {"exit 1, data sent", "damaged", "yes"}},
    {kPartial, Operation::kRestore, {"exit 1, data sent", "damaged", "yes"}},
    {kWrong, Operation::kPdaUpdate, {"exit 1, data sent", "damaged", "yes"}},
    {kWrong, Operation::kRestore, {"exit 1, data sent", "damaged", "yes"}},
    {kPowerInPda, Operation::kPdaUpdate, {"exit 1, data sent", "damaged", "yes"}},
    {kPowerInPda, Operation::kRestore, {"exit 1, data sent", "damaged", "yes"}},
    {kBackupBlocked, Operation::kPdaUpdate, {"exit 1, nothing sent", "same", "-"}},
    {kBackupBlocked, Operation::kRestore, {"exit 1, nothing sent", "same", "-"}},
};

struct Cell {
    std::string fired;  // "kind count" for each of the fault's kinds, "" when none fired
    bool allFired = true;
    Expected found;
};

std::vector<uint16_t> PdaWords(const sim::SoftwareCard& card) { return sim::ReadPdaWords(card.State()); }

// The card's PDA up to and including its end record.
std::vector<uint16_t> StoredPda(std::vector<uint16_t> words) {
    const sim::PdaLayout layout = sim::WalkPda(words);
    if (!layout.CrcMatches()) return {};
    words.resize(*layout.endIndex + 3);
    return words;
}
std::vector<uint16_t> StoredPda(const sim::SoftwareCard& card) { return StoredPda(PdaWords(card)); }

// The serial number the .pda file of the PDA writes brings.
const std::vector<uint16_t> kNewSerialRecord = {0x0007, 0x0003, 0x3939, 0x4E4E, 0x3030, 0x3030, 0x3131, 0x3232};

// What a tool means to write: the same records with the new MAC address or
// serial number, or none.
std::vector<uint16_t> IntendedPda(const std::vector<uint16_t>& before, Operation operation) {
    std::vector<uint16_t> words;
    if (operation == Operation::kEdit || operation == Operation::kRestore) {
        for (const sim::PdaRecordSpan& record : sim::WalkPda(before).records) {
            const auto first = before.begin() + static_cast<long>(record.index);
            std::vector<uint16_t> copy(first, first + record.length + 1);
            if (operation == Operation::kEdit && record.code == 0x0101) {
                std::copy(kNewMacWords.begin(), kNewMacWords.end(), copy.begin() + 2);
            }
            if (operation == Operation::kRestore && record.code == 0x0003) copy = kNewSerialRecord;
            words.insert(words.end(), copy.begin(), copy.end());
        }
    }
    sim::CloseWithCrc(words);
    return words;
}

// The update that merges the serial file means the card's records with
// that serial number, and the calibration records it derives (0x0300 of
// length 15, 0x0301 of length 18) beside them.
bool UpdateMeant(const std::vector<uint16_t>& before, const std::vector<uint16_t>& stored) {
    if (stored.empty()) return false;
    std::vector<uint16_t> expected = IntendedPda(before, Operation::kRestore);
    std::vector<uint16_t> found;
    int calibration = 0;
    for (const sim::PdaRecordSpan& record : sim::WalkPda(stored).records) {
        const auto first = stored.begin() + static_cast<long>(record.index);
        if ((record.code == 0x0300 && record.length == 15) || (record.code == 0x0301 && record.length == 18)) {
            ++calibration;
            continue;
        }
        found.insert(found.end(), first, first + record.length + 1);
    }
    sim::CloseWithCrc(found);
    return calibration == 2 && found == expected;
}

std::string PdaState(const sim::SoftwareCard& card, const std::vector<uint16_t>& before, Operation operation) {
    if (PdaWords(card) == before) return "same";
    if (operation == Operation::kPdaUpdate ? UpdateMeant(before, StoredPda(card))
                                           : StoredPda(card) == IntendedPda(before, operation)) {
        return "rewritten";
    }
    return sim::WalkPda(PdaWords(card)).CrcMatches() ? "WRONG" : "damaged";
}

// Bytes the card was sent to store (download requests beyond their headers).
bool DataSent(const sim::SoftwareCard& card) {
    const sim::OidTraffic downloads = card.Counters().For(sim::kOidDownload);
    return downloads.bytes > downloads.requests * sim::kAuxHeaderBytes;
}

void CountFired(const sim::SoftwareCard& card, const Fault& fault, Cell& cell) {
    for (const std::string& kind : fault.kinds) {
        const auto it = card.FaultsFired().find(kind);
        const uint64_t count = it == card.FaultsFired().end() ? 0 : it->second;
        cell.allFired = cell.allFired && count > 0;
        cell.fired += (cell.fired.empty() ? "" : ", ") + kind + " " + std::to_string(count);
    }
}

// What the process left behind that it must not: empty when nothing.
std::string EndProblems(const apptest::ProcessEnd& end) {
    std::string problems;
    if (end.openAdapters != 0) problems += ", ADAPTER LEFT OPEN";
    if (end.protocolsBlocked && !end.powerLost) problems += ", PROTOCOLS LEFT BLOCKED";
    if (!end.sessionConcluded) problems += ", SESSION NOT CONCLUDED";
    return problems;
}

// The .pda file of the updates that take one: a new serial number.
const std::vector<uint16_t> kSerialPdaWords = {0x0007, 0x0003, 0x3939, 0x4E4E, 0x3030, 0x3030, 0x3131, 0x3232};

// The card an update of the older card should leave, from the software
// card's own model: the catalogue's choice for K1 (PK010400, SA010500) read
// by the card's reader and plugged with the card's PDA, the .pda file
// merged into it when one is queued.
const sim::CardState& IntendedCard(bool withPdaFile) {
    static const auto make = [](bool merged) {
        std::vector<sim::ImageFile> images;
        for (const char* name : {"PK010400.HEX", "SA010500.HEX"}) {
            std::string error;
            images.push_back(sim::ImageFile::Read(std::string(MERU_FIRMWARE_DIR) + "/" + name, error).value());
        }
        std::vector<std::vector<uint16_t>> pdaFiles;
        if (merged) pdaFiles.push_back(kSerialPdaWords);
        std::string why;
        return sim::UpdatedCard(sim::MakeFactoryCard(2, WindowRig::kPlatform, OlderCard()), images, pdaFiles, why)
            .value();
    };
    static const sim::CardState plain = make(false), merged = make(true);
    return withPdaFile ? merged : plain;
}

bool HoldsIntended(const sim::SoftwareCard& card, bool withPdaFile) {
    return sim::FlashDifference(card.State(), IntendedCard(withPdaFile)).empty();
}

// A quiet "-restorepda" of the one backup a run wrote, on the card without
// its fault (put back in after a power loss): true when every word of the
// production data area is as before the run, or with `listOnly` every word
// up to and with its end record (an update may have written a longer list).
bool RestoredFromBackup(const std::string& logPath, sim::SoftwareCard& card, const std::vector<uint16_t>& before,
                        bool listOnly) {
    const std::vector<std::string> backups = BackupFiles(logPath);
    if (backups.size() != 1) return false;
    ToolsRig restore;
    restore.card = card;
    restore.card.State().faults = sim::FaultSet();
    restore.card.State().libraryLastError = 6;
    restore.card.Reinsert();
    restore.StartFromCommandLine({"-quiet", "-restorepda", backups[0]});
    card = restore.card;
    if (listOnly) return restore.view.ended == 1 && StoredPda(card) == StoredPda(before);
    return restore.view.ended == 1 && PdaWords(card) == before;
}

Cell QuietUpdate(const Fault& fault, bool withPdaFile) {
    Cell cell;
    testsupport::TempDir dir;
    std::vector<std::string> args = {"-quiet"};
    if (withPdaFile) {
        std::string text;
        char number[16];
        for (uint16_t word : kSerialPdaWords) {
            std::snprintf(number, sizeof number, "0x%04X ", word);
            text += number;
        }
        args.push_back(dir.File("serial.pda"));
        testsupport::WriteWholeFile(args.back(), text + "\n");
    }
    auto rig = std::make_unique<ToolsRig>(2, OlderCard());
    fault.apply(rig->card);
    const std::vector<uint16_t> before = PdaWords(rig->card);
    const int exitCode = rig->RunToEnd([&] { rig->Start(args); });
    CountFired(rig->card, fault, cell);
    const bool intended = HoldsIntended(rig->card, withPdaFile);
    cell.found.outcome = exitCode < 0 ? "window stays open" : "exit " + std::to_string(exitCode);
    cell.found.outcome += DataSent(rig->card) ? ", data sent" : ", nothing sent";
    if (exitCode == 0 && !intended) cell.found.outcome += ", NOT the intended firmware";
    cell.found.outcome += EndProblems(rig->processEnd);
    if (PdaWords(rig->card) == before) {
        cell.found.pda = "same";
    } else if (StoredPda(rig->card) == StoredPda(sim::SoftwareCard(IntendedCard(withPdaFile)))) {
        cell.found.pda = "rewritten";
    } else {
        cell.found.pda = sim::WalkPda(PdaWords(rig->card)).CrcMatches() ? "WRONG" : "damaged";
    }
    if (exitCode == 0 && intended) {
        cell.found.recovered = "-";
        return cell;
    }
    // The card without the fault, as it came out of the run; a damaged PDA
    // put back from the run's backup first.
    sim::SoftwareCard card = rig->card;
    if (cell.found.pda == "damaged" && !RestoredFromBackup(rig->log.Path(), card, before, true)) {
        cell.found.recovered = "NO (not restored)";
        return cell;
    }
    WindowRig again(1, WindowRig::kPlatform, OlderCard());
    again.card = card;
    again.card.State().faults = sim::FaultSet();
    again.card.State().libraryLastError = 6;
    again.card.Reinsert();
    if (!sim::WalkPda(PdaWords(again.card)).CrcMatches()) {
        cell.found.recovered = "- (PDA invalid: no update)";
        return cell;
    }
    // The same command again: no -olderOK needed to finish the job.
    const int againExit = again.RunToEnd([&] { again.Start(args); });
    cell.found.recovered = againExit == 0 && HoldsIntended(again.card, withPdaFile) ? "yes" : "NO";
    cell.found.recovered += EndProblems(again.processEnd);
    return cell;
}

// A quiet "-restorepda" of the one backup the tool wrote, on the card
// without its fault (put back in after a power loss): "yes" when every word
// of the production data area is as before the tool ran.
std::string RestoredFromBackup(const ToolsRig& damaged, const std::vector<uint16_t>& before) {
    const std::vector<std::string> backups = BackupFiles(damaged.log.Path());
    if (backups.size() != 1) return "NO (" + std::to_string(backups.size()) + " backups)";
    sim::SoftwareCard card = damaged.card;
    return RestoredFromBackup(damaged.log.Path(), card, before, false) ? "yes" : "NO";
}

std::string LastBox(const ToolsRig& rig) {
    const std::vector<std::string> texts = rig.BoxTexts();
    return texts.empty() ? "no box" : texts.back().substr(0, 40);
}

Cell ToolOperation(const Fault& fault, Operation operation) {
    Cell cell;
    ToolsRig rig;
    meru::MainWindow& window = rig.StartWithTools();
    fault.apply(rig.card);
    const std::vector<uint16_t> before = PdaWords(rig.card);
    rig.toolsView.edit = [operation](meru::PdaEditFields& fields) {
        if (operation == Operation::kEdit) fields.macText = kNewMac;  // otherwise the texts stay as offered
        return true;
    };
    rig.toolsView.dumpPath = rig.log.Path() + ".dump.hex";
    rig.boxes.answers = {meru::kAnswerOk, meru::kAnswerOk, meru::kAnswerOk};
    try {
        switch (operation) {
        case Operation::kEdit: window.OnCommand(IDM_EDIT_MAC_SERIAL); break;
        case Operation::kClear: window.OnCommand(IDM_CLEAR_PDA); break;
        case Operation::kDump: window.OnCommand(IDM_DUMP_FIRMWARE); break;
        case Operation::kShowThenEdit:
            window.OnCommand(IDM_SHOW_PDA);
            rig.card.State().faults = sim::FaultSet();  // the fault goes away
            window.OnCommand(IDM_EDIT_MAC_SERIAL);
            break;
        case Operation::kQuietUpdate:
        case Operation::kQuietUpdateWithPda: break;
        case Operation::kPdaUpdate:
        case Operation::kRestore: break;
        }
    } catch (const ProcessEnded& ended) {
        cell.found.outcome = "exit " + std::to_string(ended.code);
    }
    CountFired(rig.card, fault, cell);
    if (cell.found.outcome.empty()) cell.found.outcome = LastBox(rig);
    if (operation == Operation::kDump) {
        cell.found.outcome += std::filesystem::exists(rig.toolsView.dumpPath) ? " [file]" : " [no file]";
    }
    cell.found.outcome += DataSent(rig.card) ? ", data sent" : ", nothing sent";
    if (rig.processEnd.exitCode < 0) rig.RecordProcessEnd(-1);  // the window goes on: what it holds now
    cell.found.outcome += EndProblems(rig.processEnd);
    cell.found.pda = PdaState(rig.card, before, operation);
    cell.found.recovered = cell.found.pda == "same" ? "-" : RestoredFromBackup(rig, before);
    return cell;
}

// Every name the PDA backup of the card in `rig` may take (the rig's clock
// stands still) made a folder, so that no backup can be written.
int BlockBackupNames(const ToolsRig& rig) {
    const std::filesystem::path stem =
        std::filesystem::path(rig.log.Path()).parent_path() / "pda-00601D123456-00601D123456-20261208-060509";
    int blocked = 0;
    for (int n = 1; n <= meru::kMaxBackupsPerSecond; ++n) {
        const std::string suffix = n == 1 ? ".pda" : "-" + std::to_string(n) + ".pda";
        blocked += std::filesystem::create_directory(stem.string() + suffix) ? 1 : 0;
    }
    return blocked;
}

// A quiet run that writes the PDA: the update merging a .pda file, or the
// restore of a file of this card; both with a new serial number.
Cell PdaWrite(const Fault& fault, Operation operation) {
    Cell cell;
    ToolsRig rig(2, OlderCard());
    fault.apply(rig.card);
    const std::vector<uint16_t> before = PdaWords(rig.card);
    const std::vector<uint16_t> file = operation == Operation::kRestore ? IntendedPda(before, operation)
                                                                        : kNewSerialRecord;
    const std::string path = rig.log.Path() + ".serial.pda";
    testsupport::WriteWholeFile(path, toolstest::PdaFileText(file));
    if (fault.blocksBackup) {
        const int blocked = BlockBackupNames(rig);
        cell.fired = "backup names taken " + std::to_string(blocked);
        cell.allFired = blocked == meru::kMaxBackupsPerSecond;
    }
    int exitCode = -1;
    try {
        rig.StartFromCommandLine(operation == Operation::kRestore
                                     ? std::vector<std::string>{"-quiet", "-restorepda", path}
                                     : std::vector<std::string>{"-quiet", path});
        if (rig.view.ended >= 0) exitCode = rig.view.ended == 1 ? 0 : 1;
    } catch (const ProcessEnded& ended) {
        exitCode = ended.code;
    }
    CountFired(rig.card, fault, cell);
    if (fault.blocksBackup) {
        const bool refused = rig.log.Text().find("The PDA backup could not be written") != std::string::npos;
        cell.allFired = cell.allFired && refused;
        if (!refused) cell.fired += ", NOT refused";
    }
    cell.found.outcome = exitCode < 0 ? "window stays open" : "exit " + std::to_string(exitCode);
    cell.found.outcome += DataSent(rig.card) ? ", data sent" : ", nothing sent";
    cell.found.pda = PdaState(rig.card, before, operation);
    cell.found.recovered = cell.found.pda == "same" ? "-" : RestoredFromBackup(rig, before);
    return cell;
}

TEST(FaultMatrix, EveryFaultStrikesAndTheProductionDataComesBack) {
    std::printf("%-29s | %-15s | %-34s | %-57s | %-9s | %s\n", "fault", "operation", "fired", "outcome", "PDA",
                "recovered");
    for (const Row& row : kRows) {
        SCOPED_TRACE(std::string(row.fault.name) + " / " + OperationName(row.operation));
        const bool update = row.operation == Operation::kQuietUpdate || row.operation == Operation::kQuietUpdateWithPda;
        const Cell cell = update ? QuietUpdate(row.fault, row.operation == Operation::kQuietUpdateWithPda)
                          : row.operation == Operation::kPdaUpdate || row.operation == Operation::kRestore
                              ? PdaWrite(row.fault, row.operation)
                              : ToolOperation(row.fault, row.operation);
        std::printf("%-29s | %-15s | %-34s | %-57s | %-9s | %s\n", row.fault.name, OperationName(row.operation),
                    cell.fired.c_str(), cell.found.outcome.c_str(), cell.found.pda.c_str(),
                    cell.found.recovered.c_str());
        EXPECT_TRUE(cell.allFired) << cell.fired;
        EXPECT_EQ(cell.found.outcome, row.expected.outcome);
        EXPECT_EQ(cell.found.pda, row.expected.pda);
        EXPECT_EQ(cell.found.recovered, row.expected.recovered);
        // Whatever the expectations say, production data is never lost.
        EXPECT_NE(cell.found.pda, "WRONG");
        EXPECT_EQ(cell.found.recovered.rfind("NO", 0), std::string::npos);
    }
}

}  // namespace
