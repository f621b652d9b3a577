#include <gtest/gtest.h>

#include <string>

#include "SRecordText.h"
#include "image/FirmwareImage.h"
#include "image/ImageInfo.h"
#include "image/PlugRecordList.h"
#include "support/LogCapture.h"
#include "support/RecordingMessageBoxes.h"

namespace {

using namespace imagetest;
using meru::FirmwareImage;
using meru::ImageInfo;
using meru::PlugRecordList;

// One line through the parser with a fresh image and plug list.
struct ParseFixture : ::testing::Test {
    testsupport::LogCapture log;
    FirmwareImage image;
    PlugRecordList plugs;
    ImageInfo info;

    int Parse(const std::string& line, unsigned number = 7) { return info.ParseLine(&image, &plugs, line.c_str(), number); }
};

using SRecordSyntax = ParseFixture;

TEST_F(SRecordSyntax, CharactersAfterTheFirstMustAllBeHexDigits) {
    const std::string good = S3(0x100, {1, 2, 3});
    for (const std::string& bad : {good + " ", good + "\t", "S3 " + good.substr(2), good.substr(0, 6) + "G" + good.substr(7),
                                   good.substr(0, 10) + "-" + good.substr(11)}) {
        log.Reset();
        EXPECT_EQ(Parse(bad, 12), 0) << bad;
        EXPECT_EQ(log.Text(), "Error: Line 12: Bad character found. Cannot process file.\n") << bad;
    }
    EXPECT_EQ(image.BlockCount(), 0);
}

TEST_F(SRecordSyntax, OnlyAnUpperCaseSStartsARecordButDigitsMayBeLowerCase) {
    EXPECT_EQ(Parse("s70500000000FA", 3), 0);
    EXPECT_EQ(log.Text(), "Error: Line 3: record does not begin with 'S'\n");
    log.Reset();
    EXPECT_EQ(Parse("X70500000000FA", 4), 0);
    EXPECT_EQ(log.Text(), "Error: Line 4: record does not begin with 'S'\n");
    log.Reset();
    EXPECT_EQ(Parse("", 5), 0);
    EXPECT_EQ(log.Text(), "Error: Line 5: record does not begin with 'S'\n");
    log.Reset();
    EXPECT_NE(Parse("S70500000000fa"), 0);
    EXPECT_NE(Parse("S30800000010abcdef80"), 0);
    EXPECT_EQ(log.Text(), "");
    ASSERT_EQ(image.BlockCount(), 1);
    EXPECT_EQ(image.BlockAt(1).startAddress, 0x10u);
    EXPECT_EQ(image.BlockAt(1).length, 3u);
}

TEST_F(SRecordSyntax, UnsupportedRecordTypesAreRejected) {
    for (char type : std::string("46ABCDEF")) {
        log.Reset();
        std::string line = "S" + std::string(1, type) + "0500000000FA";
        EXPECT_EQ(Parse(line, 9), 0) << line;
        EXPECT_EQ(log.Text(), "ERROR: Line 9: record type invalid or unsupported.\n") << line;
    }
}

TEST_F(SRecordSyntax, HeaderAndCountRecordsAreLoggedAndIgnoredBeforeFurtherChecks) {
    EXPECT_NE(Parse(SRecord('0', 0, {'h', 'i'})), 0);
    EXPECT_NE(Parse(SRecord('5', 0, {0, 3})), 0);
    EXPECT_EQ(log.Text(), "Info records ignored.\nInfo records ignored.\n");
    EXPECT_EQ(image.BlockCount(), 0);
    log.Reset();
    EXPECT_EQ(Parse("S0040000FB", 2), 0);  // count does not match the line
    EXPECT_EQ(log.Text(), "Info records ignored.\nERROR: Line 2: line length invalid.\n");
    log.Reset();
    EXPECT_EQ(Parse("S000", 2), 0);  // no room for a checksum
    EXPECT_EQ(log.Text(), "Info records ignored.\nERROR: Line 2: line length invalid.\n");
}

TEST_F(SRecordSyntax, LengthMustMatchTheCountAndTheRecordType) {
    const std::string lengthInvalid = "ERROR: Line 8: line length invalid.\n";
    const std::string cases[] = {
        "S",                  // no type
        "S1",                 // no count byte
        "S30",                // half a count byte
        "S70600000000F9",     // count says one byte more than the line has
        "S70500000000FA00",   // line longer than the count says
        "S7060000000011E8",   // execution address with a data byte
        "S90300FC",           // S9 with only two address digits
        "S3040000000FB",      // odd length
        "S304000000FB",       // data record too short for its address
    };
    for (const std::string& line : cases) {
        log.Reset();
        EXPECT_EQ(Parse(line, 8), 0) << line;
        EXPECT_EQ(log.Text(), lengthInvalid) << line;
    }
}

TEST_F(SRecordSyntax, ChecksumCoversCountAddressAndData) {
    std::string line = S3(0x200, {0x10, 0x20});
    line[line.size() - 1] = line[line.size() - 1] == '0' ? '1' : '0';
    EXPECT_EQ(Parse(line, 40), 0);
    EXPECT_EQ(log.Text(), "ERROR: Line 40: Checksum failed.\n");
    EXPECT_EQ(image.BlockCount(), 0);
}

TEST_F(SRecordSyntax, ADataRecordWithoutDataBytesIsAFormatError) {
    EXPECT_EQ(Parse(S3(0x100, {}), 6), 0);
    EXPECT_EQ(log.Text(), "ERROR: Line 6: data record without data bytes.\n");
    log.Reset();
    EXPECT_EQ(info.ParseLine(nullptr, nullptr, SRecord('1', 0x100, {}).c_str(), 6), 0);
    EXPECT_EQ(log.Text(), "ERROR: Line 6: data record without data bytes.\n");
}

using SRecordData = ParseFixture;

TEST_F(SRecordData, AddressWidthFollowsTheRecordType) {
    ASSERT_NE(Parse(SRecord('1', 0x1234, {1})), 0);
    ASSERT_NE(Parse(SRecord('2', 0x123456, {2})), 0);
    ASSERT_NE(Parse(SRecord('3', 0xEFFFFF, {3})), 0);
    ASSERT_EQ(image.BlockCount(), 3);
    EXPECT_EQ(image.BlockAt(1).startAddress, 0x1234u);
    EXPECT_EQ(image.BlockAt(2).startAddress, 0x123456u);
    EXPECT_EQ(image.BlockAt(3).startAddress, 0xEFFFFFu);
}

TEST_F(SRecordData, WithoutAnImageDataIsCheckedButNotStored) {
    EXPECT_NE(info.ParseLine(nullptr, nullptr, S3(0x100, {1, 2}).c_str(), 1), 0);
    EXPECT_NE(info.ParseLine(nullptr, nullptr, PlugRecord(0x101, 0x100, 6).c_str(), 2), 0);
    EXPECT_NE(info.ParseLine(nullptr, nullptr, MarkerRecord(0x100, 0x10, 1).c_str(), 3), 0);
    EXPECT_NE(info.ParseLine(nullptr, nullptr, "S70500000000FA", 4), 0);
    EXPECT_NE(info.ParseLine(nullptr, nullptr, "S70500000001F9", 5), 0);  // no second-address check either
    EXPECT_EQ(log.Text(), "");
}

TEST_F(SRecordData, AddressesFromF00000AreSpecialRecordsOrUnknown) {
    for (const std::string& line : {S3(0xF00000, {1}), S3(0xFF300000, {1}), S3(0xFEFFFFFF, {1}),
                                    SRecord('2', 0xF00000, {1}), S3(0xFF300000, {})}) {
        log.Reset();
        EXPECT_EQ(Parse(line, 21), 0) << line;
        EXPECT_EQ(log.Text(), "Line 21: Unknown record type\n") << line;
    }
    EXPECT_EQ(image.BlockCount(), 0);
}

TEST_F(SRecordData, ExecutionAddressTakesTheFirstAndRejectsADifferentSecond) {
    ASSERT_NE(Parse(SRecord('8', 0x123456, {})), 0);
    EXPECT_TRUE(image.HasExecutionAddress());
    EXPECT_EQ(image.ExecutionAddress(), 0x123456u);
    EXPECT_NE(Parse(SRecord('7', 0x123456, {})), 0);
    EXPECT_EQ(Parse(SRecord('9', 0x3456, {}), 30), 0);
    EXPECT_EQ(log.Text(), "ERROR: Line 30: 2nd execution address found!\n");
    EXPECT_EQ(image.ExecutionAddress(), 0x123456u);
}

TEST_F(SRecordData, RunningOutOfRoomIsAFailureOfItsOwnAndShowsNothing) {
    testsupport::RecordingMessageBoxes boxes;
    const auto filler = Bytes(254);
    for (uint32_t a = 0; image.AppendBytes(filler.data(), a, 254); a += 254) {
    }
    EXPECT_EQ(Parse(S3(0x800000, {1, 2, 3}), 41), 0);
    EXPECT_EQ(info.Failure().error, meru::ImageLoadError::kImageTooLarge);
    EXPECT_EQ(info.Failure().line, 41u);
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(log.Text(), "");
}

TEST_F(SRecordData, ATwoHundredFiftySixthBlockIsAFormatErrorNotAnExit) {
    testsupport::RecordingMessageBoxes boxes;
    for (uint32_t n = 0; n < 255; ++n) ASSERT_NE(Parse(S3(n * 0x100, {1})), 0);
    EXPECT_EQ(Parse(S3(0x80000, {1}), 300), 0);
    EXPECT_EQ(log.Text(), "ERROR: Line 300: too many address blocks; an image holds at most 255.\n");
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(image.BlockCount(), 255);
    EXPECT_NE(Parse(S3(254 * 0x100 + 1, {2})), 0);  // the last block still grows
}

using SRecordPlugs = ParseFixture;

TEST_F(SRecordPlugs, PlugRecordsGoToTheListAndAReusedTargetReplaces) {
    ASSERT_NE(Parse(PlugRecord(0x0101, 0x7E0100, 0x10006)), 0);  // length kept to 16 bits
    ASSERT_NE(Parse(PlugRecord(0x0003, 0x7E0010, 12)), 0);
    ASSERT_NE(Parse(PlugRecord(0xFFFFFFFF, 0x7E0100, 8)), 0);
    ASSERT_EQ(plugs.Count(), 2u);
    plugs.Rewind();
    const meru::PlugRecord* first = plugs.Next();
    const meru::PlugRecord* second = plugs.Next();
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(first->code, 3u);
    EXPECT_EQ(second->code, meru::kFileNamePlugCode);
    EXPECT_EQ(second->length, 8);
    // A plug record may carry more than its three values.
    auto bytes = LongBytes({0x0102, 0x7E0200, 4});
    bytes.push_back(0x55);
    ASSERT_NE(Parse(S3(0xFF000000, bytes)), 0);
    EXPECT_EQ(plugs.Count(), 3u);
    EXPECT_EQ(image.BlockCount(), 0);
}

TEST_F(SRecordPlugs, ShortPlugAndMarkerRecordsAreInvalid) {
    for (const std::string& line : {S3(0xFF000000, LongBytes({1, 2})), S3(0xFF100000, Bytes(11)),
                                    S3(0xFF000000, {1}), S3(0xFF100000, {})}) {
        log.Reset();
        EXPECT_EQ(Parse(line, 15), 0) << line;
        EXPECT_EQ(log.Text(), "Line 15: Invalid record format. \n") << line;
    }
    EXPECT_EQ(plugs.Count(), 0u);
}

TEST_F(SRecordPlugs, MarkerAtABlockStartAddsTheCodeWordJustBelowIt) {
    ASSERT_NE(Parse(S3(0x7E0000, Bytes(8, 0x11))), 0);
    ASSERT_NE(Parse(MarkerRecord(0x7E0000, 0x100, 1)), 0);
    ASSERT_EQ(image.BlockCount(), 2);
    EXPECT_EQ(image.BlockAt(2).startAddress, 0x7DFFFEu);
    EXPECT_EQ(image.BlockAt(2).length, 2u);
    uint8_t data[16];
    uint32_t address = 0;
    uint16_t length = 0;
    image.Rewind();
    ASSERT_TRUE(image.NextChunk(data, address, length, 16, 0));
    ASSERT_TRUE(image.NextChunk(data, address, length, 16, 0));
    EXPECT_EQ(address, 0x7DFFFEu);
    EXPECT_EQ(data[0], 0xDE);
    EXPECT_EQ(data[1], 0xC0);
}

TEST_F(SRecordPlugs, AMarkerWithZeroFlagAloneLeavesTheImageAsItIs) {
    ASSERT_NE(Parse(S3(0x1000, Bytes(16, 0))), 0);
    ASSERT_NE(Parse(MarkerRecord(0x1008, 0x10, 0)), 0);
    ASSERT_NE(Parse(MarkerRecord(0x2000, 0x10, 0)), 0);  // outside the data: nothing appended either
    ASSERT_EQ(image.BlockCount(), 1);
    uint8_t data[16];
    uint32_t address = 0;
    uint16_t length = 0;
    image.Rewind();
    ASSERT_TRUE(image.NextChunk(data, address, length, 16, 0));
    EXPECT_EQ(std::vector<uint8_t>(data, data + 16), Bytes(16, 0));
}

TEST_F(SRecordPlugs, MarkerInsideDataOverwritesAndAZeroFlagDoesNothing) {
    ASSERT_NE(Parse(S3(0x1000, Bytes(16, 0))), 0);
    ASSERT_NE(Parse(MarkerRecord(0x1008, 0x10, 0)), 0);
    ASSERT_NE(Parse(MarkerRecord(0x1000, 0x10, 0x100)), 0);  // below the data: appended
    ASSERT_EQ(image.BlockCount(), 2);
    ASSERT_NE(Parse(MarkerRecord(0x1008, 0x10, 2)), 0);
    ASSERT_EQ(image.BlockCount(), 2);
    uint8_t data[16];
    uint32_t address = 0;
    uint16_t length = 0;
    image.Rewind();
    ASSERT_TRUE(image.NextChunk(data, address, length, 16, 0));
    EXPECT_EQ(data[5], 5);
    EXPECT_EQ(data[6], 0xDE);
    EXPECT_EQ(data[7], 0xC0);
    EXPECT_EQ(data[8], 8);
}

TEST_F(SRecordPlugs, AMarkerBelowAddressTwoThatWouldWrapIsRejected) {
    EXPECT_EQ(Parse(MarkerRecord(1, 0, 1), 4), 0);
    EXPECT_EQ(log.Text(), "ERROR: Line 4: data runs past the end of the address space.\n");
    EXPECT_NE(Parse(MarkerRecord(0, 0, 1), 5), 0);  // lands on the last two addresses
    EXPECT_EQ(image.BlockAt(1).startAddress, 0xFFFFFFFEu);
}

}  // namespace
