#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "SoakRun.h"

namespace soak {

// The exhaustive part of the soak, deterministic: for each scenario, the
// fault-free run is counted (its data downloads, its requests of every
// kind), then the power is cut after each data download, each data
// download is stored wrong (its middle byte inverted), and each request
// of the run is refused once, one trial each. Every trial must strike and
// the same command must bring the card home.
class Sweeps {
public:
    // `stopAtFirstBreak`: a planted bug needs one break to be caught.
    Sweeps(Bench& bench, bool stopAtFirstBreak) : bench_(bench), stopAtFirstBreak_(stopAtFirstBreak) {}

    // Every start the sweeps cover, by MAC type and with and without a .pda file.
    static std::vector<Scenario> AllScenarios();
    // False when an invariant broke (reported as it happened).
    bool Run(const std::vector<Scenario>& scenarios);
    void Print() const;

private:
    struct Tally {
        std::string name;
        uint64_t tried = 0, struck = 0, recovered = 0, restored = 0;
        int mostReruns = 0;
    };
    void Try(Tally& tally, const Scenario& scenario, const sim::SoftwareCard& start, const sim::CardState& expected,
             const std::string& fault, const char* kind);

    Bench& bench_;
    bool stopAtFirstBreak_;
    size_t scenarios_ = 0;
    uint64_t baselines_ = 0;
    Tally powerCuts_{"power cut after each data download"};
    Tally wrongStores_{"each data download stored wrong"};
    Tally refusals_{"each request of the run refused once"};
    uint64_t breaks_ = 0;
};

}  // namespace soak
