#include "SoakRun.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "sim/CardLayout.h"
#include "sim/CardProtocol.h"
#include "sim/PdaArea.h"
#include "sim/UpdatedCard.h"
#include "tools/ToolsRig.h"

namespace soak {

namespace {

// A queued .pda file: a new serial number (record 0x0003).
const std::vector<uint16_t> kSerialPdaWords = {0x0007, 0x0003, 0x3939, 0x4E4E, 0x3030, 0x3030, 0x3131, 0x3232};

uint16_t PlatformOf(uint16_t macType) { return macType == 1 ? 0x0101 : 0x0201; }

// The catalogue's choice for the two platforms the soak uses (see
// updater/resources/firmware/catalogue.txt): L1 and K1.
std::vector<std::string> CatalogueChoice(uint16_t macType) {
    return {macType == 1 ? "PL010400.HEX" : "PK010400.HEX", "SA010500.HEX"};
}

}  // namespace

const char* StartName(Start start) {
    switch (start) {
        case Start::kFactory: return "factory";
        case Start::kOlderPrimary: return "older primary";
        case Start::kOlderStation: return "older station";
        case Start::kHalfUpdated: return "half-updated";
        case Start::kUpToDate: return "up to date";
    }
    return "?";
}

std::string Scenario::Describe() const {
    return std::string(StartName(start)) + ", MAC type " + std::to_string(macType) +
           (withPdaFile ? ", with a .pda file" : ", no .pda file");
}

std::vector<uint16_t> PdaWords(const sim::SoftwareCard& card) {
    std::vector<uint16_t> words = sim::ReadPdaWords(card.State());
    const sim::PdaLayout layout = sim::WalkPda(words);
    if (layout.endIndex && *layout.endIndex + 3 <= words.size()) words.resize(*layout.endIndex + 3);
    return words;
}

Bench::Bench() : pdaFile_(dir_.File("serial.pda")), pdaFileWords_(kSerialPdaWords) {
    std::string text;
    for (uint16_t word : pdaFileWords_) {
        char number[16];
        std::snprintf(number, sizeof number, "0x%04X, ", word);
        text += number;
    }
    testsupport::WriteWholeFile(pdaFile_, text + "\n");
    for (uint16_t macType : {1, 2}) {
        for (const std::string& name : CatalogueChoice(macType)) {
            if (catalogue_.count(name) != 0) continue;
            std::string error;
            std::optional<sim::ImageFile> image = sim::ImageFile::Read(std::string(MERU_FIRMWARE_DIR) + "/" + name, error);
            if (!image) {
                std::fprintf(stderr, "soak: %s\n", error.c_str());
                std::exit(2);
            }
            catalogue_.emplace(name, *image);
        }
    }
}

std::vector<std::string> Bench::Arguments(const Scenario& scenario) const {
    std::vector<std::string> args = {"-quiet"};
    if (scenario.withPdaFile) args.push_back(pdaFile_);
    return args;
}

std::optional<sim::CardState> Bench::Expected(const sim::SoftwareCard& start, const Scenario& scenario,
                                              std::string& why) const {
    std::vector<sim::ImageFile> images;
    for (const std::string& name : CatalogueChoice(scenario.macType)) images.push_back(catalogue_.at(name));
    std::vector<std::vector<uint16_t>> pdaFiles;
    if (scenario.withPdaFile) pdaFiles.push_back(pdaFileWords_);
    return sim::UpdatedCard(start.State(), images, pdaFiles, why);
}

sim::SoftwareCard Bench::StartingCard(const Scenario& scenario) {
    sim::FactoryOptions options;
    if (scenario.start == Start::kOlderPrimary) {
        options.primary = apptest::Firmware(options.primary, 1, 3, 0);
        options.station = apptest::Firmware(options.station, 1, 5, 0);
    } else if (scenario.start == Start::kOlderStation) {
        options.primary = apptest::Firmware(options.primary, 1, 4, 0);
        options.station = apptest::Firmware(options.station, 1, 3, 0);
    }
    sim::SoftwareCard card = sim::SoftwareCard::Factory(scenario.macType, PlatformOf(scenario.macType), options);
    if (scenario.start == Start::kHalfUpdated) {
        // A run whose station downloads all failed: the primary is new.
        std::string error;
        const sim::CardLayout layout = sim::LayoutFor(scenario.macType);
        char fault[96];
        std::snprintf(fault, sizeof fault, "download-fail always range 0x%X 0x%X", layout.stationBase,
                      layout.stationBase + 0x1FFFF);
        card.AddFault(fault, error);
        RunQuiet(card, {"-quiet"});
        card.State().faults = sim::FaultSet();
    } else if (scenario.start == Start::kUpToDate) {
        RunQuiet(card, {"-quiet"});
    }
    card.State().session = sim::SessionState();
    card.ResetCounters();
    return card;
}

// As meru.exe runs it: the maintenance tools attached before the window
// initialises; the log and the backups in a folder of the run's own.
RunResult Bench::RunQuiet(sim::SoftwareCard& card, const std::vector<std::string>& args) {
    RunResult result;
    toolstest::ToolsRig rig(card.State().macType);
    rig.card = card;
    rig.requests.onRequest = [&] { result.mostOpen = std::max(result.mostOpen, rig.library.OpenHandleCount()); };
    result.exitCode = rig.RunToEnd([&] { rig.StartFromCommandLine(args); });
    result.end = rig.processEnd;
    if (rig.window->Adapter().IsOpen()) result.end.openAdapters = std::max<size_t>(result.end.openAdapters, 1);
    result.requests = rig.requests.oids;
    result.records = rig.requests.rids;
    for (const std::string& path : toolstest::BackupFiles(rig.log.Path())) {
        result.backups.push_back(testsupport::ReadWholeFile(path));
    }
    card = rig.card;
    return result;
}

TrialResult Bench::Trial(const sim::SoftwareCard& start, const Scenario& scenario,
                         const std::vector<std::string>& faults, const sim::CardState& expected) {
    TrialResult trial;
    sim::SoftwareCard card = start;
    const std::vector<uint16_t> originalPda = PdaWords(card);
    // Two conditions of the card that are no rules: a spoilt check value of
    // the stored PDA (no update can succeed; nothing may be written) and a
    // driver that did not start (the window waits for the user).
    bool badCrc = false, libraryError = false;
    for (const std::string& fault : faults) {
        std::string error;
        if (fault == "pda-bad-crc") {
            badCrc = sim::CorruptPdaCrc(card.State());
        } else if (fault == "library-error") {
            libraryError = true;
            card.State().libraryLastError = 2;
        } else if (!card.AddFault(fault, error)) {
            trial.broken = "fault not accepted: " + error;
            return trial;
        }
    }
    const sim::SoftwareCard armed = card;
    card.ResetCounters();
    const std::vector<std::string> args = Arguments(scenario);
    RunResult run = RunQuiet(card, args);
    trial.struck = card.FaultsFired();
    trial.firstExit = run.exitCode;
    if (badCrc || (libraryError && run.exitCode == -1)) {
        ++checked_["card refused as it is: nothing written"];
        if (badCrc && run.exitCode != 1 && !(libraryError && run.exitCode == -1)) trial.broken = "first run: exit " + std::to_string(run.exitCode) + " with a PDA of bad check value";
        const std::string difference = sim::FlashDifference(card.State(), armed.State());
        if (trial.broken.empty() && !difference.empty()) trial.broken = "first run: written to a card it refused: " + difference;
        if (badCrc || !trial.broken.empty()) return trial;
        run.exitCode = 1;  // the user closes the window
    } else {
        trial.broken = Check(run, card, originalPda, expected, true, trial.restored);
        if (!trial.broken.empty()) {
            trial.broken = "first run: " + trial.broken;
            return trial;
        }
    }
    card.State().faults = sim::FaultSet();
    card.State().libraryLastError = start.State().libraryLastError;
    card.Reinsert();
    while (run.exitCode != 0) {
        card.ResetCounters();
        if (trial.reruns == 3) {
            trial.broken = "three fault-free runs of the same command did not bring the card home";
            return trial;
        }
        ++trial.reruns;
        run = RunQuiet(card, args);
        trial.broken = Check(run, card, originalPda, expected, false, trial.restored);
        if (!trial.broken.empty()) {
            trial.broken = "re-run " + std::to_string(trial.reruns) + ": " + trial.broken;
            return trial;
        }
    }
    return trial;
}

// The invariants of one run, checked against the card. A PDA that is
// neither the original nor the intended one is put back from a backup
// beside the log, as a technician would: on the card (taken out and put
// back in, the fault gone), word for word, or the run broke an invariant.
// The backup a first run wrote must restore the original even when the
// PDA came through (tried on a copy).
std::string Bench::Check(const RunResult& run, sim::SoftwareCard& card, const std::vector<uint16_t>& originalPda,
                         const sim::CardState& expected, bool firstRun, bool& restored) {
    ++checked_["process end: exit code, adapters, protocols, session"];
    if (run.exitCode != 0 && run.exitCode != 1) return "the session did not end (exit " + std::to_string(run.exitCode) + ")";
    if (run.mostOpen > 1) return std::to_string(run.mostOpen) + " adapters open at once";
    if (run.end.openAdapters != 0) return "an adapter was left open at the end of the process";
    const sim::TrafficCounters& traffic = card.Counters();
    const bool releaseRefused =
        traffic.For(sim::kOidUnblockProtocols).failures != 0 || traffic.For(sim::kOidConclude).failures != 0;
    if (run.end.protocolsBlocked && !run.end.powerLost && !releaseRefused) {
        return "protocols left blocked at the end of the process";
    }
    if (!run.end.sessionConcluded) return "protocols blocked and the session not concluded after it";
    const std::vector<uint16_t> intendedPda = PdaWords(sim::SoftwareCard(expected));
    if (run.exitCode == 0) {
        ++checked_["exit 0: flash and PDA as the card's model expects"];
        const std::string difference = sim::FlashDifference(card.State(), expected);
        if (!difference.empty()) return "exit 0 but " + difference;
    }
    const std::vector<uint16_t> pda = PdaWords(card);
    if ((pda == originalPda || pda == intendedPda) && firstRun && !run.backups.empty()) {
        // Not needed this time: the backup must still give the original back.
        ++checked_["PDA backed up: the backup restores the original word for word"];
        sim::SoftwareCard copy = card;
        copy.State().faults = sim::FaultSet();
        copy.Reinsert();
        Restore(copy, run.backups.back());
        if (PdaWords(copy) != originalPda) return "the PDA backup does not restore the original";
    }
    if (pda == originalPda || pda == intendedPda) return "";
    ++checked_["PDA damaged: a backup restores it word for word"];
    for (const std::string& text : run.backups) {
        sim::SoftwareCard copy = card;
        copy.State().faults = sim::FaultSet();
        copy.Reinsert();
        Restore(copy, text);
        if (PdaWords(copy) == originalPda) {
            card = copy;
            restored = true;
            return "";
        }
    }
    return "production data changed and no backup restores the original";
}

// meru.exe -quiet -restorepda with the backup's text.
void Bench::Restore(sim::SoftwareCard& card, const std::string& backupText) {
    const std::string path = dir_.File("restore.pda");
    testsupport::WriteWholeFile(path, backupText);
    RunQuiet(card, {"-quiet", "-restorepda", path});
}

}  // namespace soak
