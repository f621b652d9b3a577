// How long the software card's state file takes to write and read, and what
// a programming run costs through the state-file library (as KBW32N50.dll
// runs it: the file is written after every request).
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>

#include "CardRequests.h"
#include "sim/CardMemory.h"
#include "sim/Fixture.h"
#include "sim/StateFile.h"
#include "sim/StateFileLibrary.h"
#include "support/TempDir.h"

namespace {

constexpr uint32_t kStationBytes = 384 * 1024;

// A card holding a station image and a primary image.
sim::CardState ProgrammedCard() {
    sim::CardState card = sim::MakeFactoryCard(2, 0x0101);
    std::vector<uint8_t> image(kStationBytes);
    for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i * 7 + (i >> 9));
    sim::WriteCardBytes(card, 0x100000, image);
    sim::WriteCardBytes(card, 0x7E0000, std::vector<uint8_t>(image.begin(), image.begin() + 0xF000));
    return card;
}

void SaveState(benchmark::State& state) {
    testsupport::TempDir dir;
    const sim::CardState card = ProgrammedCard();
    std::string error;
    for (auto _ : state) {
        if (!sim::SaveStateFile(dir.File("card.state"), card, error)) state.SkipWithError(error.c_str());
    }
    state.counters["file_bytes"] = static_cast<double>(std::filesystem::file_size(dir.File("card.state")));
}
BENCHMARK(SaveState)->Unit(benchmark::kMillisecond);

void LoadState(benchmark::State& state) {
    testsupport::TempDir dir;
    std::string error;
    sim::SaveStateFile(dir.File("card.state"), ProgrammedCard(), error);
    sim::CardState card;
    for (auto _ : state) {
        if (!sim::LoadStateFile(dir.File("card.state"), card, error)) state.SkipWithError(error.c_str());
    }
}
BENCHMARK(LoadState)->Unit(benchmark::kMillisecond);

// Blocks of 2042 bytes over a station image, each a request to the library.
void ProgramThroughStateFile(benchmark::State& state) {
    testsupport::TempDir dir;
    sim::MemoryRegistry registry;
    const auto adapters = sim::FillOneAdapter(registry);
    std::string error;
    sim::SaveStateFile(dir.File("card.state"), ProgrammedCard(), error);
    sim::StateFileLibrary library(registry, {dir.File("card.state")}, nullptr);
    const int32_t handle = library.OpenAdapter(("\\Device\\" + adapters[0].deviceName).c_str());
    auto send = [&](uint32_t type, uint32_t oid, simtest::AuxBuffer* record) {
        meru::NdisRequest request{type, oid, record ? record->bytes.data() : nullptr, record ? record->length : 0};
        return library.MakeNdisRequest(handle, request, nullptr);
    };
    uint64_t requests = 0;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        send(sim::kSet, sim::kOidEnableAux, nullptr);
        send(sim::kSet, sim::kOidBlockProtocols, nullptr);
        simtest::AuxBuffer zero(0, 0);
        send(sim::kSet, sim::kOidDownload, &zero);
        simtest::AuxBuffer prepare(0x7FDE66, 2, {0x00, 0xE1});
        send(sim::kSet, sim::kOidAuxWrite, &prepare);
        requests += 4;
        for (uint32_t address = 0x100000; address < 0x100000 + kStationBytes;) {
            const uint32_t count = std::min<uint32_t>(2042, 0x10000 - address % 0x10000);
            simtest::AuxBuffer block(address, count, std::vector<uint8_t>(count, 0x3C));
            if (send(sim::kSet, sim::kOidDownload, &block) != 0) state.SkipWithError("a block was refused");
            address += count;
            ++requests;
        }
        send(sim::kSet, sim::kOidUnblockProtocols, nullptr);
        send(sim::kSet, sim::kOidConclude, nullptr);
        requests += 2;
    }
    const double elapsed = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    state.counters["requests"] = benchmark::Counter(static_cast<double>(requests), benchmark::Counter::kAvgIterations);
    state.counters["ms_per_request"] = elapsed / static_cast<double>(requests);
}
BENCHMARK(ProgramThroughStateFile)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
