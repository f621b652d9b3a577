#include "image/FirmwareImage.h"

#include <gtest/gtest.h>

#include <vector>

#include "SRecordText.h"

namespace {

using meru::FirmwareImage;
using imagetest::Bytes;

bool Append(FirmwareImage& image, uint32_t address, const std::vector<uint8_t>& data) {
    return image.AppendBytes(data.data(), address, static_cast<uint16_t>(data.size()));
}

struct Chunk {
    uint32_t address;
    std::vector<uint8_t> data;
};

std::vector<Chunk> AllChunks(FirmwareImage& image, uint16_t maximum, uint32_t boundary) {
    std::vector<Chunk> chunks;
    image.Rewind();
    std::vector<uint8_t> buffer(maximum == 0 ? 1 : maximum);
    uint32_t address = 0;
    uint16_t length = 0;
    while (image.NextChunk(buffer.data(), address, length, maximum, boundary)) {
        chunks.push_back({address, std::vector<uint8_t>(buffer.begin(), buffer.begin() + length)});
        if (chunks.size() > 100000) break;  // a cursor that never advances
    }
    return chunks;
}

// Reads `count` bytes at `address` back through the chunk walk (blocks
// must not overlap there).
std::vector<uint8_t> ReadBack(FirmwareImage& image, uint32_t address, size_t count) {
    std::vector<uint8_t> out(count, 0);
    for (const Chunk& chunk : AllChunks(image, 2042, 0)) {
        for (size_t i = 0; i < chunk.data.size(); ++i) {
            const uint32_t a = chunk.address + static_cast<uint32_t>(i);
            if (a >= address && a < address + count) out[a - address] = chunk.data[i];
        }
    }
    return out;
}

TEST(FirmwareImageBlocks, OnlyAnAppendAtTheEndOfTheLastBlockExtendsIt) {
    FirmwareImage image;
    ASSERT_TRUE(Append(image, 0x100, Bytes(16)));
    ASSERT_TRUE(Append(image, 0x110, Bytes(4)));  // continues block 1
    EXPECT_EQ(image.BlockCount(), 1);
    EXPECT_EQ(image.BlockAt(1).length, 20u);

    ASSERT_TRUE(Append(image, 0x80, Bytes(8)));   // descending: new block
    ASSERT_TRUE(Append(image, 0x114, Bytes(2)));  // end of block 1, but block 1 is not the last
    ASSERT_TRUE(Append(image, 0x104, Bytes(2)));  // inside block 1: still a new block, no merge
    ASSERT_TRUE(Append(image, 0x106, Bytes(2)));  // continues the last one
    ASSERT_EQ(image.BlockCount(), 4);
    EXPECT_EQ(image.BlockAt(2).startAddress, 0x80u);
    EXPECT_EQ(image.BlockAt(3).startAddress, 0x114u);
    EXPECT_EQ(image.BlockAt(4).startAddress, 0x104u);
    EXPECT_EQ(image.BlockAt(4).length, 4u);
    EXPECT_EQ(image.ByteCount(), 20u + 8 + 2 + 4);
}

TEST(FirmwareImageBlocks, BytesArePackedAcrossPagesInArrivalOrder) {
    FirmwareImage image;
    ASSERT_TRUE(Append(image, 0x0, Bytes(2000, 0)));
    ASSERT_TRUE(Append(image, 0x20000, Bytes(100, 0x40)));
    EXPECT_EQ(image.BlockAt(2).startPage, 0);
    EXPECT_EQ(image.BlockAt(2).pageOffset, 2000u);

    const auto location = image.Locate(0x20000 + 60, 0);
    ASSERT_TRUE(location.found);
    EXPECT_EQ(location.block, 2);
    EXPECT_EQ(location.blockOffset, 60u);
    EXPECT_EQ(location.page, 1);
    EXPECT_EQ(location.pageOffset, 12u);
    EXPECT_EQ(ReadBack(image, 0x20000, 100), Bytes(100, 0x40));
}

TEST(FirmwareImageBlocks, ABlockThatStartsExactlyAtAPageEndReadsFromTheNextPage) {
    FirmwareImage image;
    ASSERT_TRUE(Append(image, 0x0, Bytes(2048, 1)));
    ASSERT_TRUE(Append(image, 0x8000, Bytes(10, 0x90)));
    const auto location = image.Locate(0x8000, 0);
    ASSERT_TRUE(location.found);
    EXPECT_EQ(location.page, 1);
    EXPECT_EQ(location.pageOffset, 0u);
    EXPECT_EQ(ReadBack(image, 0x8000, 10), Bytes(10, 0x90));
    EXPECT_EQ(ReadBack(image, 0x7F8, 8), Bytes(8, static_cast<uint8_t>(1 + 0x7F8)));
}

TEST(FirmwareImageLimits, AppendsAreRefusedOnceTheHundredthPageIsOpen) {
    FirmwareImage image;
    const auto record = Bytes(254);
    uint32_t address = 0;
    unsigned accepted = 0;
    for (; accepted < 2000; ++accepted, address += 254) {
        if (!Append(image, address, record)) break;
    }
    // 807 records fill pages 0-99 and spill 178 bytes into page 100.
    EXPECT_EQ(accepted, 807u);
    EXPECT_EQ(image.ByteCount(), 807u * 254);
    EXPECT_EQ(image.Append(record.data(), address, 254), FirmwareImage::AppendResult::kNoRoom);
    EXPECT_EQ(image.ByteCount(), 807u * 254);
}

TEST(FirmwareImageLimits, TheTwoHundredFiftySixthBlockIsRefusedWithoutTouchingTheTable) {
    FirmwareImage image;
    for (uint32_t n = 0; n < 255; ++n) ASSERT_TRUE(Append(image, n * 0x10, Bytes(1)));
    ASSERT_EQ(image.BlockCount(), 255);
    const auto one = Bytes(1, 0x77);
    EXPECT_EQ(image.Append(one.data(), 0x9000, 1), FirmwareImage::AppendResult::kTooManyBlocks);
    EXPECT_EQ(image.BlockCount(), 255);
    EXPECT_EQ(image.ByteCount(), 255u);
    // The last block can still grow.
    EXPECT_TRUE(Append(image, 254 * 0x10 + 1, Bytes(3)));
    EXPECT_EQ(image.BlockAt(255).length, 4u);
}

TEST(FirmwareImageLimits, BytesBeyondTheAddressSpaceAreRefused) {
    FirmwareImage image;
    const auto two = Bytes(2);
    EXPECT_EQ(image.Append(two.data(), 0xFFFFFFFF, 2), FirmwareImage::AppendResult::kPastAddressSpace);
    EXPECT_EQ(image.BlockCount(), 0);
    EXPECT_TRUE(Append(image, 0xFFFFFFFE, two));
    // A block ending at the top of the address space is not continued at 0.
    EXPECT_TRUE(Append(image, 0x0, two));
    EXPECT_EQ(image.BlockCount(), 2);
}

TEST(FirmwareImageLocate, ExaminesOneBlockOrSearchesAllFromBlockOne) {
    FirmwareImage image;
    ASSERT_TRUE(Append(image, 0x100, Bytes(16)));
    ASSERT_TRUE(Append(image, 0x108, Bytes(16)));  // overlaps block 1
    EXPECT_EQ(image.Locate(0x10A, 0).block, 1);    // first containing block wins
    EXPECT_EQ(image.Locate(0x10A, 2).block, 2);
    EXPECT_EQ(image.Locate(0x10A, 2).blockOffset, 2u);
    EXPECT_FALSE(image.Locate(0x117, 1).found);
    EXPECT_TRUE(image.Locate(0x117, 2).found);
    EXPECT_FALSE(image.Locate(0x118, 0).found);  // one past the end
    EXPECT_FALSE(image.Locate(0x0FF, 0).found);
    EXPECT_FALSE(image.Locate(0x100, 3).found);  // no such block
}

TEST(FirmwareImageOverwrite, ReplacesBytesAcrossContiguousBlocksAndPages) {
    FirmwareImage image;
    ASSERT_TRUE(Append(image, 0x110, Bytes(2040, 0)));  // block 1 ends 8 bytes into page 0's end
    ASSERT_TRUE(Append(image, 0x100, Bytes(16, 0)));    // block 2 sits just below block 1, crosses into page 1
    const std::vector<uint8_t> patch{0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7, 0xA8, 0xA9, 0xAA, 0xAB};
    ASSERT_TRUE(image.OverwriteBytes(patch.data(), 0x106, static_cast<uint16_t>(patch.size())));
    EXPECT_EQ(ReadBack(image, 0x106, patch.size()), patch);
    EXPECT_EQ(ReadBack(image, 0x105, 1), std::vector<uint8_t>{5});
    EXPECT_EQ(ReadBack(image, 0x112, 1), std::vector<uint8_t>{2});
    EXPECT_EQ(image.ByteCount(), 2056u);
}

TEST(FirmwareImageOverwrite, ARangeWithAGapIsRefusedAndNothingChanges) {
    FirmwareImage image;
    ASSERT_TRUE(Append(image, 0x100, Bytes(16, 0x10)));
    ASSERT_TRUE(Append(image, 0x120, Bytes(16, 0x30)));
    const auto patch = Bytes(24, 0xC0);
    EXPECT_FALSE(image.OverwriteBytes(patch.data(), 0x10C, 24));
    EXPECT_EQ(ReadBack(image, 0x100, 16), Bytes(16, 0x10));
    EXPECT_EQ(ReadBack(image, 0x120, 16), Bytes(16, 0x30));
    EXPECT_FALSE(image.OverwriteBytes(patch.data(), 0x130, 24));  // runs off the end
    EXPECT_FALSE(image.OverwriteBytes(patch.data(), 0xFFFFFFF0, 24));
    EXPECT_TRUE(image.OverwriteBytes(patch.data(), 0x500, 0));
}

TEST(FirmwareImageOverwrite, OverlappingBlocksAreAllPatched) {
    FirmwareImage image;
    ASSERT_TRUE(Append(image, 0x100, Bytes(8, 0)));
    ASSERT_TRUE(Append(image, 0x104, Bytes(8, 0)));
    const std::vector<uint8_t> patch{0xEE, 0xFF};
    ASSERT_TRUE(image.OverwriteBytes(patch.data(), 0x105, 2));
    const auto chunks = AllChunks(image, 64, 0);
    ASSERT_EQ(chunks.size(), 2u);
    EXPECT_EQ(chunks[0].data[5], 0xEE);
    EXPECT_EQ(chunks[0].data[6], 0xFF);
    EXPECT_EQ(chunks[1].data[1], 0xEE);
    EXPECT_EQ(chunks[1].data[2], 0xFF);
}

TEST(FirmwareImageChunks, ABlockJustBelowA64KBoundaryIsSplitThere) {
    FirmwareImage image;
    ASSERT_TRUE(Append(image, 0x10000 - 16, Bytes(100)));
    const auto chunks = AllChunks(image, 2042, 0x10000);
    ASSERT_EQ(chunks.size(), 2u);
    EXPECT_EQ(chunks[0].address, 0xFFF0u);
    EXPECT_EQ(chunks[0].data.size(), 16u);
    EXPECT_EQ(chunks[1].address, 0x10000u);
    EXPECT_EQ(chunks[1].data, Bytes(84, 16));
    EXPECT_EQ(image.CountChunks(2042, 0x10000), 2);
}

TEST(FirmwareImageChunks, LongBlocksAreCutByMaximumAndBoundaryWithDataIntact) {
    FirmwareImage image;
    std::vector<uint8_t> data(5000);
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 7 + i / 256);
    for (size_t at = 0; at < data.size(); at += 250) {
        const size_t n = std::min<size_t>(250, data.size() - at);
        ASSERT_TRUE(image.AppendBytes(data.data() + at, static_cast<uint32_t>(0xFF00 + at), static_cast<uint16_t>(n)));
    }
    ASSERT_EQ(image.BlockCount(), 1);
    const auto chunks = AllChunks(image, 2042, 0x10000);
    ASSERT_EQ(chunks.size(), 4u);
    EXPECT_EQ(chunks[0].data.size(), 0x100u);
    EXPECT_EQ(chunks[1].address, 0x10000u);
    EXPECT_EQ(chunks[1].data.size(), 2042u);
    EXPECT_EQ(chunks[2].data.size(), 2042u);
    EXPECT_EQ(chunks[3].data.size(), 660u);
    std::vector<uint8_t> joined;
    for (const auto& chunk : chunks) joined.insert(joined.end(), chunk.data.begin(), chunk.data.end());
    EXPECT_EQ(joined, data);
}

TEST(FirmwareImageChunks, CountMatchesTheWalkForManyLayouts) {
    FirmwareImage image;
    ASSERT_TRUE(Append(image, 0x1FFF0, Bytes(40)));
    ASSERT_TRUE(Append(image, 0x0, Bytes(17)));
    for (uint32_t a = 0x2FF00; a < 0x2FF00 + 3000; a += 250) ASSERT_TRUE(Append(image, a, Bytes(250)));
    ASSERT_TRUE(Append(image, 0x3E7, Bytes(5)));
    const uint16_t maxima[] = {1, 16, 100, 2042};
    const uint32_t boundaries[] = {0, 0x10, 1000, 0x10000};
    for (uint16_t maximum : maxima) {
        for (uint32_t boundary : boundaries) {
            const auto chunks = AllChunks(image, maximum, boundary);
            EXPECT_EQ(image.CountChunks(maximum, boundary), chunks.size()) << maximum << " " << boundary;
            size_t bytes = 0;
            for (const auto& chunk : chunks) {
                bytes += chunk.data.size();
                EXPECT_LE(chunk.data.size(), maximum);
                if (boundary != 0) {
                    EXPECT_EQ(chunk.address / boundary, (chunk.address + chunk.data.size() - 1) / boundary);
                }
            }
            EXPECT_EQ(bytes, image.ByteCount());
        }
    }
}

TEST(FirmwareImageChunks, WalkWithoutDestinationAndRewind) {
    FirmwareImage image;
    uint32_t address = 1;
    uint16_t length = 1;
    EXPECT_FALSE(image.NextChunk(nullptr, address, length, 16, 0));
    EXPECT_EQ(address, 0u);
    EXPECT_EQ(length, 0);

    ASSERT_TRUE(Append(image, 0x40, Bytes(20)));
    ASSERT_TRUE(Append(image, 0x10, Bytes(4)));
    EXPECT_EQ(image.Rewind(), 2);
    ASSERT_TRUE(image.NextChunk(nullptr, address, length, 16, 0));
    EXPECT_EQ(address, 0x40u);
    EXPECT_EQ(length, 16);
    ASSERT_TRUE(image.NextChunk(nullptr, address, length, 16, 0));
    EXPECT_EQ(address, 0x50u);
    EXPECT_EQ(length, 4);
    ASSERT_TRUE(image.NextChunk(nullptr, address, length, 16, 0));
    EXPECT_EQ(address, 0x10u);
    EXPECT_FALSE(image.NextChunk(nullptr, address, length, 16, 0));
    EXPECT_FALSE(image.NextChunk(nullptr, address, length, 16, 0));
    image.Rewind();
    ASSERT_TRUE(image.NextChunk(nullptr, address, length, 16, 0));
    EXPECT_EQ(address, 0x40u);
    // A maximum of 0 hands out nothing rather than empty chunks forever.
    EXPECT_FALSE(image.NextChunk(nullptr, address, length, 0, 0));
    EXPECT_EQ(image.CountChunks(0, 0), 0);
}

TEST(FirmwareImageChunks, CountSaturatesAtSixteenBits) {
    FirmwareImage image;
    for (uint32_t a = 0; a < 70000; a += 250) ASSERT_TRUE(Append(image, a, Bytes(250)));
    EXPECT_EQ(image.CountChunks(1, 0), 0xFFFF);
    EXPECT_EQ(image.CountChunks(16, 0), 70000 / 16);
}

TEST(FirmwareImageClear, ForgetsDataBlocksAndExecutionAddress) {
    FirmwareImage image;
    ASSERT_TRUE(Append(image, 0x100, Bytes(3000)));
    image.SetExecutionAddress(0x1234);
    image.Clear();
    EXPECT_EQ(image.BlockCount(), 0);
    EXPECT_FALSE(image.HasExecutionAddress());
    ASSERT_TRUE(Append(image, 0x900, Bytes(4, 9)));
    EXPECT_EQ(image.BlockAt(1).startAddress, 0x900u);
    EXPECT_EQ(image.BlockAt(1).startPage, 0);
    EXPECT_EQ(image.BlockAt(1).pageOffset, 0u);
    EXPECT_EQ(ReadBack(image, 0x900, 4), Bytes(4, 9));
}

}  // namespace
