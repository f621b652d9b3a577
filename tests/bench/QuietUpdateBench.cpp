// A whole quiet update of an older software card, as `meru.exe -quiet` runs
// it: readiness check, comparisons, then the catalogue's primary and station
// images programmed. Prints the requests one run sends by OID, the data
// downloads against their lower bound (the images' chunk counts) and the
// verify reads against the blocks written; a run that sends more downloads,
// or not exactly one read-back per written block, is reported as an error.
// Beside it the quiet run on a card that is already up to date, the one
// every unattended log-on pays for: it reads the images' blocks back before
// it skips, and must download nothing.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/WindowRig.h"
#include "card/CardRequests.h"
#include "image/FirmwareImage.h"
#include "image/ImageInfo.h"

namespace {

struct NamedOid {
    const char* name;
    uint32_t oid;
};
const NamedOid kOids[] = {
    {"READ_RID", meru::OID_CARD_READ_RID},
    {"AUX_READ", meru::OID_CARD_AUX_READ},
    {"DOWNLOAD", meru::OID_CARD_DOWNLOAD},
    {"AUX_WRITE", meru::OID_CARD_AUX_WRITE},
    {"ENABLE_AUX", meru::OID_CARD_ENABLE_AUX},
    {"BLOCK_PROTOCOLS", meru::OID_CARD_BLOCK_PROTOCOLS},
    {"UNBLOCK_PROTOCOLS", meru::OID_CARD_UNBLOCK_PROTOCOLS},
    {"CONCLUDE", meru::OID_CARD_CONCLUDE},
    {"DRIVER_CHECK", meru::OID_CARD_DRIVER_CHECK},
    {"DRIVER_VERSION", meru::OID_GEN_VENDOR_DRIVER_VERSION},
    {"PERMANENT_ADDRESS", meru::OID_802_3_PERMANENT_ADDRESS},
};

// The fewest data downloads that can carry an embedded image.
uint16_t ChunksOf(unsigned resourceId) {
    auto image = std::make_unique<meru::FirmwareImage>();
    meru::ImageInfo info;
    if (info.LoadResource(resourceId, image.get(), nullptr) == 0) return 0;
    return image->CountChunks(2042, 0x10000);
}

using apptest::OlderCard;

// Aux reads between the first protocol block and the unblock: with every
// block forced, the programming run reads only to verify what it wrote.
uint64_t ReadsWhileProgramming(const std::vector<uint32_t>& oids) {
    bool programming = false;
    uint64_t reads = 0;
    for (uint32_t oid : oids) {
        if (oid == meru::OID_CARD_UNBLOCK_PROTOCOLS) break;
        if (oid == meru::OID_CARD_BLOCK_PROTOCOLS) programming = true;
        if (programming && oid == meru::OID_CARD_AUX_READ) ++reads;
    }
    return reads;
}

// The requests of each listed kind, and all of them, summed over the runs
// and published per run.
struct RequestTally {
    uint64_t requests[sizeof kOids / sizeof kOids[0]] = {};
    uint64_t total = 0;

    void Add(const apptest::WindowRig& rig) {
        for (size_t i = 0; i < sizeof kOids / sizeof kOids[0]; ++i) {
            requests[i] += rig.Requests(kOids[i].oid);
            total += rig.Requests(kOids[i].oid);
        }
    }
    void Publish(benchmark::State& state, double runs) const {
        for (size_t i = 0; i < sizeof kOids / sizeof kOids[0]; ++i) {
            state.counters[kOids[i].name] = static_cast<double>(requests[i]) / runs;
        }
        state.counters["requests"] = static_cast<double>(total) / runs;
    }
};

void QuietUpdate(benchmark::State& state) {
    RequestTally tally;
    uint64_t downloads = 0;
    uint64_t verifyReads = 0;
    uint16_t lowerBound = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto rig = std::make_unique<apptest::WindowRig>(1, apptest::WindowRig::kPlatform, OlderCard());
        if (lowerBound == 0) lowerBound = static_cast<uint16_t>(ChunksOf(152) + ChunksOf(161));  // PK010400, SA010500
        state.ResumeTiming();

        rig->requests.oids.reserve(4096);
        rig->Start({"-quiet"});

        state.PauseTiming();
        if (rig->view.ended != 1 || rig->window->Outcome() != meru::RunOutcome::kUpdated) {
            state.SkipWithError("the quiet run did not update the card");
            return;
        }
        tally.Add(*rig);
        downloads += rig->Requests(meru::OID_CARD_DOWNLOAD);
        verifyReads += ReadsWhileProgramming(rig->requests.oids);
        rig.reset();
        state.ResumeTiming();
    }
    const double runs = static_cast<double>(state.iterations());
    tally.Publish(state, runs);
    // Each image's preparation sends one empty download besides the data.
    const double dataDownloads = static_cast<double>(downloads) / runs - 2.0;
    state.counters["data_downloads"] = dataDownloads;
    state.counters["lower_bound"] = lowerBound;
    const double readsPerRun = static_cast<double>(verifyReads) / runs;
    state.counters["verify_reads"] = readsPerRun;
    if (readsPerRun != dataDownloads) {
        state.SkipWithError(("verify reads per run " + std::to_string(readsPerRun) + ", blocks written " +
                             std::to_string(dataDownloads))
                                .c_str());
        return;
    }
    if (dataDownloads != lowerBound) {
        state.SkipWithError(("data downloads per run " + std::to_string(dataDownloads) + ", lower bound " +
                             std::to_string(lowerBound))
                                .c_str());
    }
}
BENCHMARK(QuietUpdate)->Unit(benchmark::kMillisecond);

void QuietUpToDate(benchmark::State& state) {
    RequestTally tally;
    uint16_t blocks = 0;
    for (auto _ : state) {
        state.PauseTiming();
        sim::SoftwareCard updated = sim::SoftwareCard::Factory(2, apptest::WindowRig::kPlatform, OlderCard());
        {
            apptest::WindowRig first(1, apptest::WindowRig::kPlatform, OlderCard());
            first.Start({"-quiet"});
            updated = first.card;
        }
        auto rig = std::make_unique<apptest::WindowRig>(1, apptest::WindowRig::kPlatform, OlderCard());
        rig->card = updated;
        rig->card.ResetCounters();
        if (blocks == 0) blocks = static_cast<uint16_t>(ChunksOf(152) + ChunksOf(161));
        state.ResumeTiming();

        rig->Start({"-quiet"});

        state.PauseTiming();
        if (rig->view.ended != 1 || rig->window->Outcome() != meru::RunOutcome::kSkipped ||
            rig->Requests(meru::OID_CARD_DOWNLOAD) != 0) {
            state.SkipWithError("the quiet run on an up-to-date card did not skip with nothing written");
            return;
        }
        tally.Add(*rig);
        rig.reset();
        state.ResumeTiming();
    }
    const double runs = static_cast<double>(state.iterations());
    tally.Publish(state, runs);
    state.counters["image_blocks"] = blocks;  // the flash check reads each once
}
BENCHMARK(QuietUpToDate)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
