#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "catalogue/ImageBytes.h"
#include "support/LogCapture.h"
#include "image/FirmwareImage.h"
#include "image/ImageInfo.h"
#include "image/Pda.h"
#include "image/PlugRecordList.h"
#include "image/Plugging.h"

namespace {

using Bytes = std::vector<uint8_t>;
using testsupport::ReadImageBytes;

constexpr uint32_t kBase = 0x1000;

class PluggingTest : public ::testing::Test {
protected:
    // One 0x100-byte block of 0xEE at kBase, another at kBase + 0x200.
    PluggingTest() : image(std::make_unique<meru::FirmwareImage>()) {
        Append(kBase, 0x100);
        Append(kBase + 0x200, 0x100);
    }
    void Append(uint32_t address, uint16_t length) {
        const Bytes fill(length, 0xEE);
        ASSERT_TRUE(image->AppendBytes(fill.data(), address, length));
    }
    void AddRecord(std::vector<uint16_t> words) { pda.AddRecord(words.data()); }
    unsigned Plug(const char* fileName) {
        log.Reset();
        return meru::PlugImage(info, *image, plugs, pda, fileName);
    }
    const meru::PlugRecord& Record(size_t index) {
        auto it = plugs.Records().begin();
        std::advance(it, index);
        return *it;
    }
    Bytes At(uint32_t address, size_t length) { return ReadImageBytes(*image, address, length); }

    testsupport::LogCapture log;
    std::unique_ptr<meru::FirmwareImage> image;
    meru::ImageInfo info;
    meru::PlugRecordList plugs;
    meru::Pda pda;
};

TEST_F(PluggingTest, ImageWithoutPlugRecordsReportsAllPlugged) {
    EXPECT_EQ(0u, Plug("x.hex"));
    EXPECT_EQ("Plugging:  All Entries Plugged!\n", log.Text());
}

TEST_F(PluggingTest, PdaRecordIsCopiedLowByteFirst) {
    AddRecord({4, 0x0101, 0x2200, 0x4433, 0x6655});
    plugs.Add(0x0101, kBase + 0x10, 6);
    EXPECT_EQ(1u, Plug(nullptr));
    EXPECT_EQ("Plugging:  (101 ok) All Entries Plugged!\n", log.Text());
    EXPECT_EQ((Bytes{0x00, 0x22, 0x33, 0x44, 0x55, 0x66}), At(kBase + 0x10, 6));
    EXPECT_EQ((Bytes{0xEE, 0xEE}), (Bytes{At(kBase + 0x0F, 1)[0], At(kBase + 0x16, 1)[0]}));
    EXPECT_EQ(meru::kPlugDone, Record(0).status);
}

TEST_F(PluggingTest, OnlyTheLowSixteenBitsOfTheCodeFindTheRecord) {
    AddRecord({2, 0x0008, 0xBEEF});
    plugs.Add(0x00050008, kBase, 2);
    EXPECT_EQ(1u, Plug(nullptr));
    EXPECT_EQ("Plugging:  (50008 ok) All Entries Plugged!\n", log.Text());
    EXPECT_EQ((Bytes{0xEF, 0xBE}), At(kBase, 2));
}

TEST_F(PluggingTest, MissingRecordIsReportedAndSummaryLeftOut) {
    plugs.Add(0x0300, kBase, 28);
    EXPECT_EQ(0u, Plug(nullptr));
    EXPECT_EQ("Plugging:  (Warning: PDR 300 NOT in PDA)\n\n", log.Text());
    EXPECT_EQ(meru::kPlugMissingPdr, Record(0).status);
    EXPECT_EQ(Bytes(28, 0xEE), At(kBase, 28));
}

TEST_F(PluggingTest, RecordLengthMustEqualPlugLength) {
    AddRecord({4, 0x0101, 1, 2, 3});  // six data bytes
    plugs.Add(0x0101, kBase, 4);
    EXPECT_EQ(0u, Plug(nullptr));
    EXPECT_EQ("Plugging:  (Warning: Length mismatch on PDR 101)\n", log.Text());
    EXPECT_EQ(meru::kPlugLengthMismatch, Record(0).status);
    EXPECT_EQ(Bytes(6, 0xEE), At(kBase, 6));

    plugs.Clear();
    plugs.Add(0x0101, kBase, 6);
    EXPECT_EQ(1u, Plug(nullptr));
    EXPECT_EQ(meru::kPlugDone, Record(0).status);
}

TEST_F(PluggingTest, TargetStraddlingContiguousBlocksIsPlugged) {
    // Arrival order makes [0x5000, 0x5010) block 3 and [0x4FF0, 0x5000) block 4.
    Append(0x5000, 0x10);
    Append(0x4FF0, 0x10);
    ASSERT_EQ(4, image->BlockCount());
    AddRecord({5, 0x0008, 0x0201, 0x0403, 0x0605, 0x0807});
    plugs.Add(0x0008, 0x4FFC, 8);
    EXPECT_EQ(1u, Plug(nullptr));
    EXPECT_EQ((Bytes{1, 2, 3, 4, 5, 6, 7, 8}), At(0x4FFC, 8));
    EXPECT_EQ(meru::kPlugDone, Record(0).status);
}

TEST_F(PluggingTest, TargetRunningIntoAGapIsRefusedAndImageUnchanged) {
    AddRecord({5, 0x0008, 0x0201, 0x0403, 0x0605, 0x0807});
    plugs.Add(0x0008, kBase + 0xFC, 8);  // block ends at kBase + 0x100
    EXPECT_EQ(0u, Plug(nullptr));
    EXPECT_EQ("Plugging:  Warning: Invalid plug record 0x8. Target area does not exist.\n\n", log.Text());
    EXPECT_EQ(meru::kPlugNoTarget, Record(0).status);
    EXPECT_EQ(Bytes(4, 0xEE), At(kBase + 0xFC, 4));
}

TEST_F(PluggingTest, EveryRecordIsVisitedInTargetOrderWithItsOwnStatus) {
    AddRecord({4, 0x0101, 0x1111, 0x2222, 0x3333});
    AddRecord({2, 0x0002, 0x0042});
    plugs.Add(0x0101, kBase + 0x210, 6);  // a second copy of the same record
    plugs.Add(0x0300, kBase + 0x40, 28);
    plugs.Add(0x0002, kBase + 0x20, 4);
    plugs.Add(0x0101, kBase + 0x10, 6);
    plugs.Add(0x0002, kBase + 0x300, 2);  // past the end of the second block
    EXPECT_EQ(2u, Plug(nullptr));
    EXPECT_EQ("Plugging:  (101 ok) (Warning: Length mismatch on PDR 2)(Warning: PDR 300 NOT in PDA)\n"
              "(101 ok) Warning: Invalid plug record 0x2. Target area does not exist.\n\n",
              log.Text());
    const std::vector<uint32_t> statuses = {Record(0).status, Record(1).status, Record(2).status,
                                            Record(3).status, Record(4).status};
    EXPECT_EQ((std::vector<uint32_t>{meru::kPlugDone, meru::kPlugLengthMismatch, meru::kPlugMissingPdr,
                                     meru::kPlugDone, meru::kPlugNoTarget}),
              statuses);
    EXPECT_EQ(At(kBase + 0x10, 6), At(kBase + 0x210, 6));
}

TEST_F(PluggingTest, FileNamePlugWritesUpperCaseBaseNamePaddedWithZeros) {
    plugs.Add(meru::kFileNamePlugCode, kBase + 0x60, 14);
    EXPECT_EQ(0u, Plug("C:\\fw\\abc.hex"));
    EXPECT_EQ("Plugging:  [filename]  All Entries Plugged!\n", log.Text());
    EXPECT_EQ((Bytes{'A', 'B', 'C', '.', 'H', 'E', 'X', 0, 0, 0, 0, 0, 0, 0}), At(kBase + 0x60, 14));
    EXPECT_EQ(Bytes{0xEE}, At(kBase + 0x6E, 1));
    EXPECT_EQ(meru::kPlugDone, Record(0).status);

    Plug("a:Name-1.hex");
    EXPECT_EQ((Bytes{'N', 'A', 'M', 'E', '-', '1', '.', 'H', 'E', 'X', 0, 0, 0, 0}), At(kBase + 0x60, 14));
}

TEST_F(PluggingTest, FileNameIsCutToThePlugLengthAndToTwentyBytes) {
    plugs.Add(meru::kFileNamePlugCode, kBase + 0x60, 4);
    Plug("firmware.hex");
    EXPECT_EQ((Bytes{'F', 'I', 'R', 'M', 0xEE}), At(kBase + 0x60, 5));

    plugs.Clear();
    plugs.Add(meru::kFileNamePlugCode, kBase + 0x60, 32);
    Plug("abcdefghijklmnopqrstuvwxyz.hex");
    EXPECT_EQ("Plugging:  [filename]  All Entries Plugged!\n", log.Text());
    const Bytes written = At(kBase + 0x60, 21);
    EXPECT_EQ("ABCDEFGHIJKLMNOPQRST", std::string(written.begin(), written.begin() + 20));
    EXPECT_EQ(0xEE, written[20]);
}

TEST_F(PluggingTest, WithoutFileNameTheVersionsAreWritten) {
    plugs.Add(meru::kFileNamePlugCode, kBase + 0x60, 20);
    auto written = [&]() {
        Plug(nullptr);
        const Bytes b = At(kBase + 0x60, 20);
        return std::string(reinterpret_cast<const char*>(b.data()));
    };
    EXPECT_EQ("UNKNOWN", written());
    info.station = {true, 31, 2, 1, 4};
    EXPECT_EQ("2.1.4", written());
    info.primary = {true, 21, 1, 3, 0};
    EXPECT_EQ("1.3.0, 2.1.4", written());
    info.station.present = false;
    EXPECT_EQ("1.3.0", written());
}

TEST_F(PluggingTest, FileNamePlugOutsideTheImageIsReportedAndNotCounted) {
    AddRecord({2, 0x0002, 7});
    plugs.Add(meru::kFileNamePlugCode, kBase + 0xF0, 20);  // runs past the block end
    plugs.Add(0x0002, kBase, 2);
    EXPECT_EQ(1u, Plug("abc.hex"));
    EXPECT_EQ("Plugging:  (2 ok) Warning: file name plug does not fit!\nAll Entries Plugged!\n", log.Text());
    EXPECT_EQ(meru::kPlugNoTarget, Record(1).status);
    EXPECT_EQ(Bytes(16, 0xEE), At(kBase + 0xF0, 16));
}

}  // namespace
