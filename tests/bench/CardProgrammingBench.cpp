// Programming a shipped-size image into the software card: the requests one
// run sends, by OID. With force set every block is downloaded; with force
// clear on a card that already holds the image none is. A run whose traffic
// breaks that is reported as an error.
#include <benchmark/benchmark.h>

#include <string>

#include "card/CardRequests.h"
#include "card/SimRig.h"
#include "image/FirmwareImage.h"
#include "sim/CardLayout.h"

namespace {

struct NamedOid {
    const char* name;
    uint32_t oid;
};
const NamedOid kCountedOids[] = {
    {"DOWNLOAD", meru::OID_CARD_DOWNLOAD},         {"AUX_READ", meru::OID_CARD_AUX_READ},
    {"AUX_WRITE", meru::OID_CARD_AUX_WRITE},       {"ENABLE_AUX", meru::OID_CARD_ENABLE_AUX},
    {"BLOCK_PROTOCOLS", meru::OID_CARD_BLOCK_PROTOCOLS},
};

void ProgramImage(benchmark::State& state) {
    const bool force = state.range(0) != 0;
    cardtest::SimRig rig;
    if (!rig.handle.Open(0, true)) {
        state.SkipWithError("the software card's adapter does not open");
        return;
    }
    meru::FirmwareImage image;
    cardtest::MakeStationImage(image, sim::LayoutFor(2).stationBase, 11);
    const uint16_t chunks = image.CountChunks(2042, 0x10000);
    if (!force && !rig.handle.ProgramImage(image, nullptr, true, false).Written()) {  // the card holds it already
        state.SkipWithError("programming the image beforehand failed");
        return;
    }
    rig.card.ResetCounters();

    for (auto _ : state) {
        if (!rig.handle.ProgramImage(image, nullptr, force, false).Written()) {
            state.SkipWithError("programming failed");
            return;
        }
    }

    const double runs = static_cast<double>(state.iterations());
    for (const NamedOid& counted : kCountedOids) {
        state.counters[counted.name] = static_cast<double>(rig.Requests(counted.oid)) / runs;
    }
    // Each run's preparation sends one empty download besides the blocks.
    const double blockDownloads = static_cast<double>(rig.Requests(meru::OID_CARD_DOWNLOAD)) / runs - 1.0;
    state.counters["chunks"] = chunks;
    state.counters["block_downloads"] = blockDownloads;
    state.counters["image_bytes"] = image.ByteCount();
    const double expected = force ? chunks : 0.0;
    if (blockDownloads != expected) {
        state.SkipWithError(("block downloads per run " + std::to_string(blockDownloads) + ", expected " +
                             std::to_string(expected))
                                .c_str());
    }
}
BENCHMARK(ProgramImage)->ArgName("force")->Arg(1)->Arg(0);

}  // namespace

BENCHMARK_MAIN();
