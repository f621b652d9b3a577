// Soak: quiet updates of the software card under faults, as meru.exe runs
// them, checked against the card and never against the program's word.
// What the card should hold after an update comes from the software card's
// own model (sim/UpdatedCard: the catalogue's images read by its own
// reader, plugged with the card's production data by its own rules):
//   - a run that exits 0 left the flash and the production data as that
//     model says, byte for byte;
//   - the production data is the original, or the intended merged list, or
//     damaged with a backup beside the log that restores it word for word;
//   - at the moment the process would end (normal, stopped or fatal): no
//     adapter open, protocols not blocked, and a session that blocked the
//     protocols concluded; never two adapters open at once;
//   - three fault-free runs of the same command at most bring the card home.
// Two phases: the sweeps (every power-cut point, every download stored
// wrong, every request refused once, for each start; printed as k/k) and
// the random phase (one or two faults of every kind, that strike).
// Usage: quiet_update_soak [ITERATIONS [SEED]] [--sweeps all|short]
//            [--first-break] [--replay ITERATION-SEED] [--min-strikes N]
// --first-break stops the sweeps at their first break (for planted bugs).
// Exit status 1 on any break; each prints what replays it.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "RandomPhase.h"
#include "Sweeps.h"

int main(int argc, char** argv) {
    uint64_t iterations = 0, seed = 1, minStrikes = 0, replay = 0;
    bool replaying = false, firstBreak = false;
    std::string sweeps = "none";
    int positional = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--min-strikes" && i + 1 < argc) {
            minStrikes = std::strtoull(argv[++i], nullptr, 10);
        } else if (argument == "--sweeps" && i + 1 < argc) {
            sweeps = argv[++i];
        } else if (argument == "--first-break") {
            firstBreak = true;
        } else if (argument == "--replay" && i + 1 < argc) {
            replay = std::strtoull(argv[++i], nullptr, 10);
            replaying = true;
        } else if (argument[0] != '-' && positional < 2) {
            (positional++ == 0 ? iterations : seed) = std::strtoull(argument.c_str(), nullptr, 10);
        } else {
            std::fprintf(stderr,
                         "usage: quiet_update_soak [ITERATIONS [SEED]] [--sweeps all|short] [--first-break] "
                         "[--replay ITERATION-SEED] [--min-strikes N]\n");
            return 2;
        }
    }
    if (sweeps != "none" && sweeps != "all" && sweeps != "short") {
        std::fprintf(stderr, "quiet_update_soak: --sweeps takes all or short\n");
        return 2;
    }

    soak::Bench bench;
    bool held = true;
    if (sweeps != "none") {
        soak::Sweeps sweep(bench, firstBreak);
        std::vector<soak::Scenario> scenarios = soak::Sweeps::AllScenarios();
        // The short sweep: one start that writes everything, the PDA included.
        if (sweeps == "short") scenarios = {{soak::Start::kOlderPrimary, 1, true}};
        held = sweep.Run(scenarios) && held;
        sweep.Print();
    }
    soak::RandomPhase random(bench);
    if (replaying) {
        held = random.Iterate(replay) && held;
        random.Print(1);
    } else if (iterations > 0) {
        std::printf("random phase seed: %llu\n", static_cast<unsigned long long>(seed));
        for (uint64_t i = 0; i < iterations; ++i) random.Iterate(soak::RandomPhase::IterationSeed(seed, i));
        random.Print(iterations);
        held = random.Breaks() == 0 && held;
        if (minStrikes > 0 && !random.EveryKindStruck(minStrikes)) held = false;
    }
    return held ? 0 : 1;
}
