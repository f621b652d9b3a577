#pragma once

// The pieces both phases of the soak share: the starting cards, one quiet
// session of the updater as meru.exe runs it, the card it should leave
// (computed by the software card's own model, never by the updater), the
// checks after every run, and the recovery a technician would attempt.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/WindowRig.h"
#include "sim/ImageFile.h"
#include "sim/SoftwareCard.h"
#include "support/TempDir.h"

namespace soak {

enum class Start { kFactory, kOlderPrimary, kOlderStation, kHalfUpdated, kUpToDate };
const char* StartName(Start start);

// A starting card and the command line given to it.
struct Scenario {
    Start start = Start::kFactory;
    uint16_t macType = 2;
    bool withPdaFile = false;
    std::string Describe() const;
};

struct RunResult {
    int exitCode = -1;
    size_t mostOpen = 0;  // adapters open at once
    apptest::ProcessEnd end;
    std::vector<uint32_t> requests;    // in order
    std::vector<uint16_t> records;     // the records read, in order
    std::vector<std::string> backups;  // backup files' texts beside the log
};

// Counts of what was checked, by invariant.
using CheckCounts = std::map<std::string, uint64_t>;

// One trial: the first run under faults, then fault-free re-runs of the
// same command until the card is home.
struct TrialResult {
    std::string broken;  // empty when every invariant held
    int firstExit = -1;
    int reruns = 0;
    bool restored = false;  // a backup was put back with -restorepda
    sim::FaultTally struck;
};

class Bench {
public:
    Bench();

    // The card a scenario starts from (built by fault-free or half-failed
    // runs of the updater; it is only the start, never the expectation).
    sim::SoftwareCard StartingCard(const Scenario& scenario);
    std::vector<std::string> Arguments(const Scenario& scenario) const;
    // What the card should hold after the update, from the card's own model.
    std::optional<sim::CardState> Expected(const sim::SoftwareCard& start, const Scenario& scenario,
                                           std::string& why) const;

    // One quiet session against `card`.
    RunResult RunQuiet(sim::SoftwareCard& card, const std::vector<std::string>& args);
    // The faults armed on `start`, the first run and the recovery.
    TrialResult Trial(const sim::SoftwareCard& start, const Scenario& scenario, const std::vector<std::string>& faults,
                      const sim::CardState& expected);

    const CheckCounts& Checked() const { return checked_; }

private:
    std::string Check(const RunResult& run, sim::SoftwareCard& card, const std::vector<uint16_t>& originalPda,
                      const sim::CardState& expected, bool firstRun, bool& restored);
    void Restore(sim::SoftwareCard& card, const std::string& backupText);

    testsupport::TempDir dir_;
    std::string pdaFile_;
    std::vector<uint16_t> pdaFileWords_;
    std::map<std::string, sim::ImageFile> catalogue_;  // by file name
    CheckCounts checked_;
};

// The production data words up to and with the end record.
std::vector<uint16_t> PdaWords(const sim::SoftwareCard& card);

}  // namespace soak
