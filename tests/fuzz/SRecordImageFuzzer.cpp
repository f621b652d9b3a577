// S-record text loaded into a FirmwareImage and a PlugRecordList, as an
// image file or a firmware resource is. After a load that succeeds, the
// image must hold exactly the bytes the records put there, in at most 255
// blocks inside the 32-bit address space, and the flash programmer's chunk
// walk must hand out exactly those bytes in pieces it can send. Reading
// only the info records (no image, no plug list, as the inspector and the
// catalogue do) must then succeed too and declare the same.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "ExpectedImage.h"
#include "FuzzCheck.h"
#include "SameImageInfo.h"
#include "base/ProcessExit.h"
#include "base/SessionLog.h"
#include "image/FirmwareImage.h"
#include "image/ImageInfo.h"
#include "image/PlugRecordList.h"

namespace {

// The flash programmer's chunk rules.
constexpr uint16_t kChunkMaximum = 2042;
constexpr uint32_t kChunkBoundary = 0x10000;
constexpr uint64_t kAddressSpaceEnd = 0x100000000ull;

// Thrown by the end-process hook: an image that does not fit in memory
// ends the program, which for the fuzzer is a clean end of the input.
struct ProcessEnded {};

void CheckBlocks(const meru::FirmwareImage& image, const std::vector<fuzz::ExpectedBlock>& expected) {
    FUZZ_CHECK(image.BlockCount() <= meru::FirmwareImage::kBlockSlots - 1);
    FUZZ_CHECK(image.BlockCount() == expected.size());
    uint64_t total = 0;
    for (uint16_t n = 1; n <= image.BlockCount(); ++n) {
        const meru::FirmwareImage::Block& block = image.BlockAt(n);
        FUZZ_CHECK(block.length > 0);
        FUZZ_CHECK(uint64_t{block.startAddress} + block.length <= kAddressSpaceEnd);
        FUZZ_CHECK(block.startAddress == expected[n - 1].startAddress);
        FUZZ_CHECK(block.length == expected[n - 1].bytes.size());
        total += block.length;
    }
    FUZZ_CHECK(image.ByteCount() == total);
}

void CheckChunkWalk(meru::FirmwareImage& image, const std::vector<fuzz::ExpectedBlock>& expected) {
    FUZZ_CHECK(image.Rewind() == image.BlockCount());
    std::vector<uint8_t> chunk(kChunkMaximum);
    uint64_t walked = 0;
    uint32_t chunks = 0;
    for (const fuzz::ExpectedBlock& block : expected) {
        size_t offset = 0;
        while (offset < block.bytes.size()) {
            const uint64_t start = uint64_t{block.startAddress} + offset;
            uint64_t piece = std::min<uint64_t>(kChunkMaximum, block.bytes.size() - offset);
            piece = std::min<uint64_t>(piece, kChunkBoundary - start % kChunkBoundary);
            uint32_t address = 0;
            uint16_t length = 0;
            FUZZ_CHECK(image.NextChunk(chunk.data(), address, length, kChunkMaximum, kChunkBoundary));
            FUZZ_CHECK(address == start);
            FUZZ_CHECK(length == piece);
            FUZZ_CHECK(length <= kChunkMaximum);
            FUZZ_CHECK(address / kChunkBoundary == (uint64_t{address} + length - 1) / kChunkBoundary);
            FUZZ_CHECK(std::equal(chunk.begin(), chunk.begin() + length, block.bytes.begin() + offset));
            offset += length;
            walked += length;
            ++chunks;
        }
    }
    uint32_t address = 1;
    uint16_t length = 1;
    FUZZ_CHECK(!image.NextChunk(chunk.data(), address, length, kChunkMaximum, kChunkBoundary));
    FUZZ_CHECK(address == 0 && length == 0);
    FUZZ_CHECK(walked == image.ByteCount());
    FUZZ_CHECK(image.CountChunks(kChunkMaximum, kChunkBoundary) == std::min<uint32_t>(chunks, 0xFFFF));
}

void CheckPlugs(const meru::PlugRecordList& plugs) {
    const meru::PlugRecord* previous = nullptr;
    for (const meru::PlugRecord& record : plugs.Records()) {
        FUZZ_CHECK(previous == nullptr || previous->targetAddress < record.targetAddress);
        previous = &record;
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    meru::TheSessionLog().SetEnabled(false);
    meru::SetEndProcessHook([](int) { throw ProcessEnded{}; });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    meru::FirmwareImage image;
    meru::PlugRecordList plugs;
    meru::ImageInfo info;
    uint16_t lines = 0;
    try {
        lines = info.LoadText(text, &image, &plugs);
    } catch (const ProcessEnded&) {
        return 0;
    }
    if (lines == 0) return 0;
    FUZZ_CHECK(image.HasExecutionAddress());
    const std::vector<fuzz::ExpectedBlock> expected = fuzz::ExpectedBlocks(text);
    CheckBlocks(image, expected);
    CheckChunkWalk(image, expected);
    CheckPlugs(plugs);

    meru::ImageInfo infoOnly;
    FUZZ_CHECK(infoOnly.LoadText(text, nullptr, nullptr) == lines);
    FUZZ_CHECK(fuzz::SameImageInfo(infoOnly, info));
    return 0;
}
