// The firmware dump of a stable software card into an S-record file: the
// reads it takes (three agreeing reads per 512-byte piece of the 128 KiB
// window: 768) and the time. Any other read count is reported as an error.
#include <benchmark/benchmark.h>

#include <memory>

#include "card/CardRequests.h"
#include "support/TempDir.h"
#include "tools/ToolsRig.h"

namespace {

void DumpStableCard(benchmark::State& state) {
    testsupport::TempDir dir;
    uint64_t reads = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto rig = std::make_unique<toolstest::ToolsRig>();
        rig->toolsView.dumpPath = dir.File("dump.hex");
        meru::MainWindow& window = rig->StartWithTools();
        state.ResumeTiming();

        window.OnCommand(32781);  // Dump Firmware to File...

        state.PauseTiming();
        reads += rig->Requests(meru::OID_CARD_AUX_READ);
        const bool saved = !rig->BoxTexts().empty() && rig->BoxTexts().back() == "File Saved Successfully.";
        rig.reset();
        state.ResumeTiming();
        if (!saved) {
            state.SkipWithError("the dump was not saved");
            return;
        }
    }
    const double perDump = static_cast<double>(reads) / static_cast<double>(state.iterations());
    state.counters["reads"] = perDump;
    if (perDump != 768) state.SkipWithError(("reads per dump " + std::to_string(perDump) + ", expected 768").c_str());
}
BENCHMARK(DumpStableCard)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
