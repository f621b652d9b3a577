#include "RandomPhase.h"

#include <cmath>
#include <cstdio>
#include <set>

#include "sim/CardLayout.h"
#include "sim/CardProtocol.h"

namespace soak {

namespace {

// Every kind of fault the software card has, by the keyword it counts it under.
const char* const kFaultKinds[] = {"power-loss",      "download-fail",    "download-corrupt", "download-partial",
                                   "read-refuse",     "flaky-reads",      "refuse",           "rid-missing",
                                   "driver-too-old",  "pda-bit31-only",   "driver-check-invalid-oid",
                                   "pda-bad-crc",     "library-error"};
// What the card counts when each of them strikes.
std::string StruckAs(const std::string& kind) { return kind == "driver-check-invalid-oid" ? "refuse" : kind; }

uint32_t Pick(std::mt19937_64& random, uint32_t count) {
    return std::uniform_int_distribution<uint32_t>(0, count - 1)(random);
}

// The upper end of the 95% confidence interval of a failure rate after
// `trials` without a failure: 1 - 0.05^(1/trials).
double UpperBound95(uint64_t trials) { return 1.0 - std::pow(0.05, 1.0 / static_cast<double>(trials)); }

}  // namespace

uint64_t RandomPhase::IterationSeed(uint64_t seed, uint64_t index) {
    // splitmix64 of the pair: nearby seeds and indices give unrelated streams.
    uint64_t z = seed * 0x9E3779B97F4A7C15ull + index + 0x632BE59BD9B4E019ull;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

const RandomPhase::Baseline* RandomPhase::BaselineFor(const Scenario& scenario) {
    const auto key = std::make_tuple(static_cast<int>(scenario.start), scenario.macType, scenario.withPdaFile);
    const auto found = baselines_.find(key);
    if (found != baselines_.end()) return &found->second;
    Baseline baseline;
    baseline.start = bench_.StartingCard(scenario);
    std::string why;
    const std::optional<sim::CardState> expected = bench_.Expected(baseline.start, scenario, why);
    if (!expected) return nullptr;
    baseline.expected = *expected;
    sim::SoftwareCard counted = baseline.start;
    std::string error;
    counted.AddFault("power-loss after 4000000000", error);
    const RunResult run = bench_.RunQuiet(counted, bench_.Arguments(scenario));
    baseline.downloads = counted.State().faults.powerLoss ? counted.State().faults.powerLoss->seen : 0;
    for (uint32_t oid : run.requests) ++baseline.uses[oid];
    const std::set<uint16_t> records(run.records.begin(), run.records.end());
    baseline.records.assign(records.begin(), records.end());
    return &baselines_.emplace(key, baseline).first->second;
}

std::string RandomPhase::RandomFault(std::mt19937_64& random, const Baseline& baseline, uint16_t macType,
                                     bool& powerLossArmed, std::string& kind) {
    const sim::CardLayout layout = sim::LayoutFor(macType);
    for (;;) {
        kind = kFaultKinds[Pick(random, sizeof kFaultKinds / sizeof kFaultKinds[0])];
        const bool downloadKind = kind == "power-loss" || kind.rfind("download-", 0) == 0;
        if (downloadKind && baseline.downloads == 0) continue;  // this start writes nothing
        if (kind == "power-loss" && powerLossArmed) continue;    // one rule a card
        if (kind == "rid-missing" && baseline.records.empty()) continue;
        // An up-to-date card whose update is skipped asks for no driver check.
        if (kind == "driver-check-invalid-oid" && baseline.uses.count(sim::kOidDriverCheck) == 0) continue;
        break;
    }
    // The trigger: mostly the nth of the uses the fault-free run makes.
    auto trigger = [&](uint32_t uses) {
        const uint32_t mode = Pick(random, 10);
        if (mode == 0 || uses == 0) return std::string("always");
        if (mode == 1) return std::string("once");
        return "nth " + std::to_string(1 + Pick(random, uses));
    };
    char text[128];
    if (kind == "power-loss") {
        powerLossArmed = true;
        return "power-loss after " + std::to_string(1 + Pick(random, baseline.downloads));
    }
    if (kind.rfind("download-", 0) == 0) return kind + " " + trigger(baseline.downloads);
    if (kind == "read-refuse") {
        const auto reads = baseline.uses.find(sim::kOidAuxRead);
        std::snprintf(text, sizeof text, " range 0 0x%X", layout.flashBytes - 1);
        return kind + " " + trigger(reads == baseline.uses.end() ? 0 : reads->second) + text;
    }
    if (kind == "flaky-reads") {
        // A small range inside one of the images: read back, it never agrees.
        const uint32_t base = Pick(random, 2) == 0 ? layout.primaryBase : layout.stationBase;
        const uint32_t low = base + Pick(random, 0x2000);
        std::snprintf(text, sizeof text, "flaky-reads 0x%X 0x%X", low, low + 0xFF);
        return text;
    }
    if (kind == "refuse") {
        // Any request the fault-free run sends, the preparation write included.
        auto oid = baseline.uses.begin();
        std::advance(oid, Pick(random, static_cast<uint32_t>(baseline.uses.size())));
        std::snprintf(text, sizeof text, "refuse 0x%08X ", oid->first);
        return text + trigger(oid->second);
    }
    if (kind == "rid-missing") {
        const uint16_t rid = baseline.records[Pick(random, static_cast<uint32_t>(baseline.records.size()))];
        std::snprintf(text, sizeof text, "rid-missing 0x%04X", rid);
        return text;
    }
    return kind;  // driver-too-old, pda-bit31-only, driver-check-invalid-oid, pda-bad-crc, library-error
}

bool RandomPhase::Iterate(uint64_t iterationSeed) {
    std::mt19937_64 random(iterationSeed);
    Scenario scenario;
    scenario.start = static_cast<Start>(Pick(random, 5));
    scenario.macType = Pick(random, 2) == 0 ? 1 : 2;
    scenario.withPdaFile = Pick(random, 2) == 0;
    const Baseline* baseline = BaselineFor(scenario);
    if (baseline == nullptr) {
        ++breaks_;
        std::printf("BREAK: no update can succeed from %s\n", scenario.Describe().c_str());
        return false;
    }
    std::vector<std::string> faults, kinds;
    bool powerLossArmed = false;
    const int faultCount = 1 + static_cast<int>(Pick(random, 2));
    for (int i = 0; i < faultCount; ++i) {
        std::string kind;
        faults.push_back(RandomFault(random, *baseline, scenario.macType, powerLossArmed, kind));
        kinds.push_back(kind);
        ++armed_[kind];
    }
    const TrialResult trial = bench_.Trial(baseline->start, scenario, faults, baseline->expected);
    for (const auto& [kind, count] : trial.struck) {
        ++iterationsStruck_[kind];
        events_[kind] += count;
    }
    if (trial.struck.empty()) {
        ++noStrike_;
        if (faults.size() == 1) {
            ++noStrikeAlone_;
            std::printf("no strike: %s, %s\n", scenario.Describe().c_str(), faults[0].c_str());
        }
    } else {
        ++struckIterations_;
    }
    ++firstRuns_[trial.firstExit];
    restores_ += trial.restored ? 1 : 0;
    if (!trial.broken.empty()) {
        ++breaks_;
        std::printf("BREAK: %s\n  replay: quiet_update_soak --replay %llu\n  start: %s\n", trial.broken.c_str(),
                    static_cast<unsigned long long>(iterationSeed), scenario.Describe().c_str());
        for (const std::string& fault : faults) std::printf("  fault armed: %s\n", fault.c_str());
        for (const auto& [kind, count] : trial.struck) {
            std::printf("  struck: %s x%llu\n", kind.c_str(), static_cast<unsigned long long>(count));
        }
        return false;
    }
    ++reruns_[trial.reruns];
    return true;
}

bool RandomPhase::EveryKindStruck(uint64_t minimum) const {
    bool every = true;
    for (const char* kind : kFaultKinds) {
        const auto struck = iterationsStruck_.find(StruckAs(kind));
        if (struck == iterationsStruck_.end() || struck->second < minimum) {
            std::printf("struck in fewer than %llu iterations: %s\n", static_cast<unsigned long long>(minimum), kind);
            every = false;
        }
    }
    return every;
}

void RandomPhase::Print(uint64_t iterations) const {
    std::printf("random phase: %llu iterations, %llu with a strike, %llu with none (%llu of them with one fault armed)\n",
                static_cast<unsigned long long>(iterations), static_cast<unsigned long long>(struckIterations_),
                static_cast<unsigned long long>(noStrike_), static_cast<unsigned long long>(noStrikeAlone_));
    std::printf("  %-26s %8s %18s %8s\n", "fault kind", "armed", "iterations struck", "events");
    std::set<std::string> shown;
    auto row = [&](const std::string& kind, uint64_t armed) {
        const auto iterationsStruck = iterationsStruck_.find(kind);
        const auto events = events_.find(kind);
        std::printf("  %-26s %8llu %18llu %8llu\n", kind.c_str(), static_cast<unsigned long long>(armed),
                    static_cast<unsigned long long>(iterationsStruck == iterationsStruck_.end() ? 0 : iterationsStruck->second),
                    static_cast<unsigned long long>(events == events_.end() ? 0 : events->second));
        shown.insert(kind);
    };
    for (const char* kind : kFaultKinds) {
        const auto armed = armed_.find(kind);
        if (kind == StruckAs(kind)) row(kind, armed == armed_.end() ? 0 : armed->second);
    }
    for (const auto& [kind, count] : iterationsStruck_) {
        if (shown.count(kind) == 0) row(kind, 0);
    }
    const auto invalidOid = armed_.find("driver-check-invalid-oid");
    std::printf("  (driver-check-invalid-oid armed %llu, counted as refuse)\n",
                static_cast<unsigned long long>(invalidOid == armed_.end() ? 0 : invalidOid->second));
    std::printf("  first runs by exit code:");
    for (const auto& [code, count] : firstRuns_) std::printf("  %d: %llu", code, static_cast<unsigned long long>(count));
    std::printf("\n  fault-free re-runs needed:");
    for (const auto& [count, times] : reruns_) std::printf("  %d: %llu", count, static_cast<unsigned long long>(times));
    std::printf("\n  PDA restores from a backup: %llu\n", static_cast<unsigned long long>(restores_));
    std::printf("  runs checked, by invariant (sweeps included):\n");
    for (const auto& [what, count] : bench_.Checked()) {
        std::printf("    %-58s %llu\n", what.c_str(), static_cast<unsigned long long>(count));
    }
    std::printf("random breaks: %llu\n", static_cast<unsigned long long>(breaks_));
    if (breaks_ == 0 && struckIterations_ > 0) {
        const auto power = iterationsStruck_.find("power-loss");
        std::printf("  0 breaks in %llu iterations with a strike: failure rate below %.2f%% (95%% upper bound)\n",
                    static_cast<unsigned long long>(struckIterations_), 100.0 * UpperBound95(struckIterations_));
        if (power != iterationsStruck_.end()) {
            std::printf("  0 breaks in %llu power-loss strikes: below %.2f%%\n",
                        static_cast<unsigned long long>(power->second), 100.0 * UpperBound95(power->second));
        }
    }
}

}  // namespace soak
