#pragma once

#include <cstdint>
#include <map>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "SoakRun.h"

namespace soak {

// The random part of the soak: random starts, one or two faults of every
// kind the software card has, with always, once and nth triggers, where the
// nth use is drawn from the uses the fault-free run of the same start makes,
// so that an armed fault strikes. Each iteration has a random stream of its
// own, drawn from the seed and the iteration's number.
class RandomPhase {
public:
    explicit RandomPhase(Bench& bench) : bench_(bench) {}

    // The seed of iteration `index` of a run with `seed`.
    static uint64_t IterationSeed(uint64_t seed, uint64_t index);
    // False when an invariant broke (reported with the seed that replays it).
    bool Iterate(uint64_t iterationSeed);
    void Print(uint64_t iterations) const;
    uint64_t Breaks() const { return breaks_; }
    // True when every kind armed struck at least `minimum` times in as many
    // iterations; the others are printed.
    bool EveryKindStruck(uint64_t minimum) const;

private:
    struct Baseline {
        sim::SoftwareCard start;
        sim::CardState expected;
        uint32_t downloads = 0;
        std::map<uint32_t, uint32_t> uses;  // requests by OID
        std::vector<uint16_t> records;      // the records read, each once
    };
    const Baseline* BaselineFor(const Scenario& scenario);
    std::string RandomFault(std::mt19937_64& random, const Baseline& baseline, uint16_t macType, bool& powerLossArmed,
                            std::string& kind);

    Bench& bench_;
    std::map<std::tuple<int, uint16_t, bool>, Baseline> baselines_;
    std::map<std::string, uint64_t> armed_, iterationsStruck_, events_;
    std::map<int, uint64_t> firstRuns_, reruns_;
    uint64_t noStrike_ = 0, noStrikeAlone_ = 0, struckIterations_ = 0, restores_ = 0, breaks_ = 0;
};

}  // namespace soak
