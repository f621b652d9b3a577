// Reading S-record images: the largest catalogue image from memory (as a
// FIRMWARE resource is read) and from a file, in MB/s of S-record text. A
// load whose result differs from the first one is reported as an error.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>

#include "image/FirmwareImage.h"
#include "image/ImageInfo.h"
#include "image/PlugRecordList.h"
#include "support/TempDir.h"

namespace {

const std::string kImagePath = std::string(MERU_FIRMWARE_DIR) + "/SA010500.HEX";

struct Loaded {
    uint16_t lines = 0;
    uint16_t blocks = 0;
    uint32_t bytes = 0;
    bool operator!=(const Loaded& other) const {
        return lines != other.lines || blocks != other.blocks || bytes != other.bytes;
    }
};

template <typename Load>
void Measure(benchmark::State& state, size_t textBytes, Load load) {
    Loaded first;
    for (auto _ : state) {
        auto image = std::make_unique<meru::FirmwareImage>();
        meru::PlugRecordList plugs;
        meru::ImageInfo info;
        Loaded loaded;
        loaded.lines = load(info, *image, plugs);
        loaded.blocks = image->BlockCount();
        loaded.bytes = image->ByteCount();
        if (loaded.lines == 0) {
            state.SkipWithError("the image did not load");
            return;
        }
        if (first.lines == 0) first = loaded;
        if (loaded != first) {
            state.SkipWithError("a load gave another image than the first");
            return;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * textBytes));
    state.counters["MB/s"] = benchmark::Counter(static_cast<double>(state.iterations() * textBytes) / 1e6,
                                                benchmark::Counter::kIsRate);
    state.counters["image_bytes"] = first.bytes;
}

void LoadFromMemory(benchmark::State& state) {
    const std::string text = testsupport::ReadWholeFile(kImagePath);
    Measure(state, text.size(), [&](meru::ImageInfo& info, meru::FirmwareImage& image, meru::PlugRecordList& plugs) {
        return info.LoadText(text, &image, &plugs);
    });
}
BENCHMARK(LoadFromMemory)->Unit(benchmark::kMicrosecond);

void LoadFromFile(benchmark::State& state) {
    const size_t size = testsupport::ReadWholeFile(kImagePath).size();
    Measure(state, size, [&](meru::ImageInfo& info, meru::FirmwareImage& image, meru::PlugRecordList& plugs) {
        return info.LoadFile(kImagePath, &image, &plugs);
    });
}
BENCHMARK(LoadFromFile)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
