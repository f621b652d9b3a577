// Soak: thousands of quiet updates of the software card under random
// faults. Each iteration starts from a random valid card, arms one or two
// faults at random request counts, runs the quiet update as meru.exe runs
// it, then runs the same command without faults until the card is home.
// What is checked is the card itself, never the program's word:
//   - a run that exits 0 left the catalogue's images on the card, byte for
//     byte as a fault-free run on the same starting card writes them, and
//     the production data original or as the fault-free run leaves it;
//   - the production data is the original, or the intended merged list, or
//     damaged with a backup beside the log that restores it word for word;
//   - at most one adapter open at a time, none left open, protocols not left
//     blocked;
//   - three fault-free runs at most bring the card home with exit code 0.
// Usage: quiet_update_soak ITERATIONS [SEED] [--min-strikes N]
// Prints what struck and how the runs ended; a broken invariant prints the
// iteration's seed (replay it with ITERATIONS 1 and that seed) and exits 1.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "app/WindowRig.h"
#include "tools/ToolsRig.h"
#include "sim/CardLayout.h"
#include "sim/CardMemory.h"
#include "sim/CardProtocol.h"
#include "sim/FlashIdentity.h"
#include "sim/PdaArea.h"
#include "support/TempDir.h"

namespace {

// The serial number a queued .pda file brings.
const char kSerialPda[] = "0x0007, 0x0003, 0x3939, 0x4E4E, 0x3030, 0x3030, 0x3131, 0x3232\n";

enum class Start { kFactory, kOlderPrimary, kOlderStation, kHalfUpdated, kUpToDate };
const char* const kStartNames[] = {"factory", "older primary", "older station", "half-updated", "up to date"};

const uint32_t kRefusableOids[] = {
    sim::kOidReadRid,     sim::kOidEnableAux,         sim::kOidAuxRead,  sim::kOidBlockProtocols,
    sim::kOidUnblockProtocols, sim::kOidDownload,     sim::kOidConclude, sim::kOidDriverCheck,
    sim::kOidVendorDriverVersion, sim::kOidPermanentAddress,
};

// The fault kinds armed, by the keyword the card counts them under.
const char* const kFaultKinds[] = {"power-loss",  "download-fail", "download-corrupt", "download-partial",
                                   "read-refuse", "flaky-reads",   "refuse"};

struct Scenario {
    uint32_t seed = 0;
    Start start = Start::kFactory;
    uint16_t macType = 2;
    bool withPdaFile = false;
    std::vector<std::string> faults;  // as the card's fault lines
};

struct RunResult {
    int exitCode = -1;
    size_t mostOpen = 0;
    bool leftOpen = false;
    bool protocolsBlocked = false;
    bool powerLost = false;
    std::vector<uint16_t> pda;
    std::vector<std::string> backups;  // backup files' texts beside the log
};

uint16_t PlatformOf(uint16_t macType) { return macType == 1 ? 0x0101 : 0x0201; }

// The card's production data as the card walks it: the words up to and
// with its end record (all 512 when it has none). What lies beyond the end
// record is no part of it.
std::vector<uint16_t> PdaWords(const sim::SoftwareCard& card) {
    std::vector<uint16_t> words = sim::ReadPdaWords(card.State());
    const sim::PdaLayout layout = sim::WalkPda(words);
    if (layout.endIndex && *layout.endIndex + 3 <= words.size()) words.resize(*layout.endIndex + 3);
    return words;
}

// The image windows of the card's flash: primary and station.
std::vector<uint8_t> ImageBytes(const sim::SoftwareCard& card) {
    const sim::CardLayout layout = sim::LayoutFor(card.State().macType);
    std::vector<uint8_t> bytes = sim::ReadCardBytes(card.State(), layout.primaryBase, 0x10000);
    const std::vector<uint8_t> station = sim::ReadCardBytes(card.State(), layout.stationBase, 0x20000);
    bytes.insert(bytes.end(), station.begin(), station.end());
    return bytes;
}

bool HoldsCatalogueVersions(const sim::SoftwareCard& card) {
    const sim::FactoryFirmware primary = sim::ReportedFirmware(card.State(), sim::Component::kPrimary);
    const sim::FactoryFirmware station = sim::ReportedFirmware(card.State(), sim::Component::kStation);
    const std::string primaryFile = card.State().macType == 1 ? "PL010400.HEX" : "PK010400.HEX";
    return primary.fileName == primaryFile && primary.major == 1 && primary.minor == 4 &&
           station.fileName == "SA010500.HEX" && station.major == 1 && station.minor == 5;
}

// One quiet session of the updater against `card`, as meru.exe runs it:
// the maintenance tools attached before the window initialises.
RunResult RunQuiet(sim::SoftwareCard& card, const std::vector<std::string>& args) {
    RunResult result;
    toolstest::ToolsRig rig(card.State().macType);
    rig.card = card;
    rig.requests.onRequest = [&] { result.mostOpen = std::max(result.mostOpen, rig.library.OpenHandleCount()); };
    try {
        rig.StartFromCommandLine(args);
        if (rig.view.ended >= 0) result.exitCode = rig.view.ended == 1 ? 0 : 1;
    } catch (const apptest::ProcessEnded& ended) {
        result.exitCode = ended.code;
    }
    result.leftOpen = rig.library.OpenHandleCount() != 0 || rig.window->Adapter().isOpen();
    result.powerLost = rig.card.State().faults.powerLoss && rig.card.State().faults.powerLoss->Lost();
    result.protocolsBlocked = rig.card.State().session.protocolsBlocked;
    result.pda = PdaWords(rig.card);
    const std::filesystem::path folder = std::filesystem::path(rig.log.Path()).parent_path();
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().filename().string().rfind("pda-", 0) == 0) {
            result.backups.push_back(testsupport::ReadWholeFile(entry.path().string()));
        }
    }
    card = rig.card;
    return result;
}

class Soak {
public:
    explicit Soak(uint32_t seed) : seed_(seed) {}

    // One iteration; false when an invariant broke (reported already).
    bool Iterate(uint32_t iterationSeed) {
        std::mt19937 random(iterationSeed);
        restoreText_.clear();
        Scenario scenario;
        scenario.seed = iterationSeed;
        scenario.start = static_cast<Start>(Pick(random, 5));
        scenario.macType = Pick(random, 2) == 0 ? 1 : 2;
        scenario.withPdaFile = Pick(random, 4) == 0;

        const std::string pdaFile = dir_.File("serial.pda");
        testsupport::WriteWholeFile(pdaFile, kSerialPda);
        std::vector<std::string> args = {"-quiet"};
        if (scenario.withPdaFile) args.push_back(pdaFile);

        sim::SoftwareCard card = StartingCard(scenario);
        const std::vector<uint16_t> originalPda = PdaWords(card);
        // What the card should end as: a fault-free run on the same card
        // that writes everything.
        sim::SoftwareCard golden = card;
        std::vector<std::string> goldenArgs = args;
        goldenArgs.insert(goldenArgs.begin() + 1, "-olderOK");
        RunQuiet(golden, goldenArgs);
        if (!HoldsCatalogueVersions(golden)) return Break(scenario, "the fault-free run did not update the card");
        const std::vector<uint8_t> intendedImages = ImageBytes(golden);
        const std::vector<uint16_t> intendedPda = PdaWords(golden);

        const int faultCount = 1 + Pick(random, 2);
        bool powerLossArmed = false;
        for (int i = 0; i < faultCount; ++i) {
            const std::string fault = RandomFault(random, card, scenario.withPdaFile, powerLossArmed);
            std::string error;
            if (!card.AddFault(fault, error)) return Break(scenario, "fault not accepted: " + error);
            scenario.faults.push_back(fault);
        }
        card.ResetCounters();

        RunResult run = RunQuiet(card, args);
        for (const auto& fired : card.FaultsFired()) struck_[fired.first] += fired.second;
        firstRuns_[run.exitCode]++;
        std::string broken = Check(run, card, intendedImages, originalPda, intendedPda);
        if (!broken.empty()) return Break(scenario, "first run: " + broken, card);
        if (run.powerLost) card.Reinsert();
        card.State().faults = sim::FaultSet();

        int reruns = 0;
        while (!(run.exitCode == 0 && HoldsCatalogueVersions(card))) {
            if (reruns == 3) return Break(scenario, "three fault-free runs did not bring the card home", card);
            ++reruns;
            if (!restoreText_.empty() && PdaWords(card) != originalPda && PdaWords(card) != intendedPda) {
                // What a technician does with a damaged PDA: put the backup back.
                Restore(card, restoreText_);
                ++restores_;
                if (PdaWords(card) != originalPda) return Break(scenario, "-restorepda did not restore the PDA", card);
            }
            run = RunQuiet(card, args);
            broken = Check(run, card, intendedImages, originalPda, intendedPda);
            if (!broken.empty()) return Break(scenario, "re-run " + std::to_string(reruns) + ": " + broken, card);
        }
        rerunsNeeded_[reruns]++;
        return true;
    }

    void Print(uint32_t iterations) const {
        std::printf("iterations: %u  seed: %u\n", iterations, seed_);
        std::printf("faults struck, by kind:\n");
        for (const char* kind : kFaultKinds) {
            const auto armed = armed_.find(kind);
            const auto struck = struck_.find(kind);
            std::printf("  %-18s armed %6llu  struck %6llu\n", kind,
                        static_cast<unsigned long long>(armed == armed_.end() ? 0 : armed->second),
                        static_cast<unsigned long long>(struck == struck_.end() ? 0 : struck->second));
        }
        for (const auto& other : struck_) {
            if (armed_.count(other.first) == 0) {
                std::printf("  %-18s (a condition)  struck %6llu\n", other.first.c_str(),
                            static_cast<unsigned long long>(other.second));
            }
        }
        std::printf("first runs by exit code:");
        for (const auto& code : firstRuns_) std::printf("  %d: %llu", code.first, static_cast<unsigned long long>(code.second));
        std::printf("\nfault-free re-runs needed:");
        for (const auto& count : rerunsNeeded_) {
            std::printf("  %d: %llu", count.first, static_cast<unsigned long long>(count.second));
        }
        std::printf("\nPDA restores from a backup: %llu\n", static_cast<unsigned long long>(restores_));
        std::printf("invariant breaks: %u\n", breaks_);
    }

    uint32_t Breaks() const { return breaks_; }
    // The kinds armed that struck fewer than `minimum` times.
    std::vector<std::string> RarelyStruck(uint64_t minimum) const {
        std::vector<std::string> rare;
        if (minimum == 0) return rare;
        for (const char* kind : kFaultKinds) {
            const auto struck = struck_.find(kind);
            if (struck == struck_.end() || struck->second < minimum) rare.push_back(kind);
        }
        return rare;
    }

private:
    static uint32_t Pick(std::mt19937& random, uint32_t count) {
        return std::uniform_int_distribution<uint32_t>(0, count - 1)(random);
    }

    sim::SoftwareCard StartingCard(const Scenario& scenario) {
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
        card.ResetCounters();
        return card;
    }

    std::string RandomFault(std::mt19937& random, const sim::SoftwareCard& card, bool pdaFileQueued,
                            bool& powerLossArmed) {
        const sim::CardLayout layout = sim::LayoutFor(card.State().macType);
        uint32_t kind = Pick(random, 7);
        if (kind == 0 && powerLossArmed) kind = 1;  // one power-loss rule a card
        ++armed_[kFaultKinds[kind]];
        // With a .pda file queued the first data download is the PDA block:
        // aim at it often enough that the backups are put to the test.
        const bool atPda = pdaFileQueued && Pick(random, 3) == 0;
        const std::string n = std::to_string(atPda ? 1 : 1 + Pick(random, 40));
        char text[128];
        switch (kind) {
        case 0:
            powerLossArmed = true;
            return "power-loss after " + n;
        case 1: return "download-fail nth " + n;
        case 2: return "download-corrupt nth " + n;
        case 3: return "download-partial nth " + n;
        case 4:
            std::snprintf(text, sizeof text, "read-refuse nth %u range 0 0x%X", 1 + Pick(random, 80),
                          layout.flashBytes - 1);
            return text;
        case 5: {
            // A small range inside one of the images: read back, it never agrees.
            const uint32_t base = Pick(random, 2) == 0 ? layout.primaryBase : layout.stationBase;
            const uint32_t low = base + Pick(random, 0x2000);
            std::snprintf(text, sizeof text, "flaky-reads 0x%X 0x%X", low, low + 0xFF);
            return text;
        }
        default:
            std::snprintf(text, sizeof text, "refuse 0x%08X nth %u", kRefusableOids[Pick(random, 10)],
                          1 + Pick(random, 30));
            return text;
        }
    }

    std::string Check(const RunResult& run, const sim::SoftwareCard& card, const std::vector<uint8_t>& images,
                      const std::vector<uint16_t>& originalPda, const std::vector<uint16_t>& intendedPda) {
        if (run.exitCode != 0 && run.exitCode != 1) return "the session did not end (exit " + std::to_string(run.exitCode) + ")";
        if (run.mostOpen > 1) return std::to_string(run.mostOpen) + " adapters open at once";
        if (run.leftOpen) return "the adapter was left open";
        if (run.protocolsBlocked && !run.powerLost) return "protocols left blocked";
        if (run.exitCode == 0) {
            if (!HoldsCatalogueVersions(card)) return "exit 0 but the card reports other firmware";
            if (ImageBytes(card) != images) return "exit 0 but the images in flash differ from the intended ones";
            if (run.pda != originalPda && run.pda != intendedPda) return "exit 0 but the production data is damaged";
        }
        if (run.pda != originalPda && run.pda != intendedPda) {
            // Damaged: a backup beside the log must give it back word for word.
            for (const std::string& text : run.backups) {
                // As a technician would: the card put back in, the fault gone.
                sim::SoftwareCard copy = card;
                copy.State().faults = sim::FaultSet();
                copy.Reinsert();
                Restore(copy, text);
                if (PdaWords(copy) == originalPda) {
                    restoreText_ = text;
                    return "";
                }
            }
            return "production data changed and no backup restores the original";
        }
        return "";
    }

    // meru.exe -quiet -restorepda with the backup's text.
    void Restore(sim::SoftwareCard& card, const std::string& backupText) {
        const std::string path = dir_.File("restore.pda");
        testsupport::WriteWholeFile(path, backupText);
        RunQuiet(card, {"-quiet", "-restorepda", path});
    }

    bool Break(const Scenario& scenario, const std::string& what, const sim::SoftwareCard* card = nullptr) {
        ++breaks_;
        std::printf("BREAK: %s\n  replay: quiet_update_soak 1 %u\n  start: %s, MAC type %u, %s\n", what.c_str(),
                    scenario.seed, kStartNames[static_cast<int>(scenario.start)], scenario.macType,
                    scenario.withPdaFile ? "with a .pda file" : "no .pda file");
        for (const std::string& fault : scenario.faults) std::printf("  fault armed: %s\n", fault.c_str());
        if (card != nullptr) {
            for (const auto& fired : card->FaultsFired()) {
                std::printf("  struck: %s x%llu\n", fired.first.c_str(), static_cast<unsigned long long>(fired.second));
            }
        }
        return false;
    }
    bool Break(const Scenario& scenario, const std::string& what, const sim::SoftwareCard& card) {
        return Break(scenario, what, &card);
    }

    uint32_t seed_;
    testsupport::TempDir dir_;
    std::map<std::string, uint64_t> armed_, struck_;
    std::map<int, uint64_t> firstRuns_, rerunsNeeded_;
    uint32_t breaks_ = 0;
    uint64_t restores_ = 0;
    std::string restoreText_;  // the backup that restores this iteration's card
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: quiet_update_soak ITERATIONS [SEED] [--min-strikes N]\n");
        return 2;
    }
    const uint32_t iterations = static_cast<uint32_t>(std::strtoul(argv[1], nullptr, 10));
    uint32_t seed = 1;
    uint64_t minStrikes = 0;
    for (int i = 2; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--min-strikes" && i + 1 < argc) {
            minStrikes = std::strtoull(argv[++i], nullptr, 10);
        } else {
            seed = static_cast<uint32_t>(std::strtoul(argv[i], nullptr, 10));
        }
    }
    Soak soak(seed);
    for (uint32_t i = 0; i < iterations; ++i) soak.Iterate(seed + i);
    soak.Print(iterations);
    const std::vector<std::string> rare = soak.RarelyStruck(minStrikes);
    for (const std::string& kind : rare) std::printf("struck fewer than %llu times: %s\n",
                                                     static_cast<unsigned long long>(minStrikes), kind.c_str());
    return soak.Breaks() == 0 && (minStrikes == 0 || rare.empty()) ? 0 : 1;
}
