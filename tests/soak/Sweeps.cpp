#include "Sweeps.h"

#include <cstdio>
#include <map>

namespace soak {

namespace {

// More than any run stores: the rule counts the data downloads and never strikes.
const char kCountDownloads[] = "power-loss after 4000000000";

}  // namespace

std::vector<Scenario> Sweeps::AllScenarios() {
    std::vector<Scenario> scenarios;
    for (Start start : {Start::kOlderPrimary, Start::kHalfUpdated, Start::kUpToDate}) {
        for (uint16_t macType : {1, 2}) {
            for (bool withPdaFile : {false, true}) scenarios.push_back({start, macType, withPdaFile});
        }
    }
    return scenarios;
}

bool Sweeps::Run(const std::vector<Scenario>& scenarios) {
    for (const Scenario& scenario : scenarios) {
        if (stopAtFirstBreak_ && breaks_ != 0) break;
        ++scenarios_;
        const sim::SoftwareCard start = bench_.StartingCard(scenario);
        std::string why;
        const std::optional<sim::CardState> expected = bench_.Expected(start, scenario, why);
        if (!expected) {
            std::printf("BREAK: %s: no update can succeed: %s\n", scenario.Describe().c_str(), why.c_str());
            ++breaks_;
            continue;
        }
        // The fault-free run: it must end at home, and it gives the denominators.
        const TrialResult baseline = bench_.Trial(start, scenario, {}, *expected);
        ++baselines_;
        if (!baseline.broken.empty() || baseline.firstExit != 0) {
            std::printf("BREAK: %s, no fault: %s (exit %d)\n", scenario.Describe().c_str(), baseline.broken.c_str(),
                        baseline.firstExit);
            ++breaks_;
            continue;
        }
        sim::SoftwareCard counted = start;
        std::string error;
        counted.AddFault(kCountDownloads, error);
        const RunResult run = bench_.RunQuiet(counted, bench_.Arguments(scenario));
        const uint32_t downloads = counted.State().faults.powerLoss ? counted.State().faults.powerLoss->seen : 0;
        std::map<uint32_t, uint32_t> uses;
        for (uint32_t oid : run.requests) ++uses[oid];

        for (uint32_t k = 1; k <= downloads; ++k) {
            Try(powerCuts_, scenario, start, *expected, "power-loss after " + std::to_string(k), "power-loss");
            Try(wrongStores_, scenario, start, *expected, "download-corrupt nth " + std::to_string(k),
                "download-corrupt");
        }
        for (const auto& [oid, count] : uses) {
            for (uint32_t n = 1; n <= count; ++n) {
                char fault[64];
                std::snprintf(fault, sizeof fault, "refuse 0x%08X nth %u", oid, n);
                Try(refusals_, scenario, start, *expected, fault, "refuse");
            }
        }
    }
    return breaks_ == 0;
}

void Sweeps::Try(Tally& tally, const Scenario& scenario, const sim::SoftwareCard& start,
                 const sim::CardState& expected, const std::string& fault, const char* kind) {
    if (stopAtFirstBreak_ && breaks_ != 0) return;
    ++tally.tried;
    const TrialResult trial = bench_.Trial(start, scenario, {fault}, expected);
    const bool struck = trial.struck.count(kind) != 0;
    tally.struck += struck ? 1 : 0;
    if (!struck || !trial.broken.empty()) {
        ++breaks_;
        std::printf("BREAK: %s\n  start: %s\n  fault: %s\n", struck ? trial.broken.c_str() : "the fault did not strike",
                    scenario.Describe().c_str(), fault.c_str());
        return;
    }
    ++tally.recovered;
    tally.restored += trial.restored ? 1 : 0;
    tally.mostReruns = std::max(tally.mostReruns, trial.reruns);
}

void Sweeps::Print() const {
    std::printf("sweeps: %zu scenarios (start x MAC type x .pda file), %llu fault-free runs at home\n", scenarios_,
                static_cast<unsigned long long>(baselines_));
    std::printf("  %-38s | %-11s | %-11s | %-12s | %s\n", "sweep", "struck", "recovered", "re-runs, most",
                "PDA restored from a backup");
    for (const Tally* tally : {&powerCuts_, &wrongStores_, &refusals_}) {
        char struck[32], recovered[32];
        std::snprintf(struck, sizeof struck, "%llu/%llu", static_cast<unsigned long long>(tally->struck),
                      static_cast<unsigned long long>(tally->tried));
        std::snprintf(recovered, sizeof recovered, "%llu/%llu", static_cast<unsigned long long>(tally->recovered),
                      static_cast<unsigned long long>(tally->tried));
        std::printf("  %-38s | %-11s | %-11s | %-13d | %llu\n", tally->name.c_str(), struck, recovered,
                    tally->mostReruns, static_cast<unsigned long long>(tally->restored));
    }
    std::printf("sweep breaks: %llu\n", static_cast<unsigned long long>(breaks_));
}

}  // namespace soak
