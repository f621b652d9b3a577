#include <gtest/gtest.h>

#include <string>

#include "SRecordText.h"
#include "image/ImageInfo.h"
#include "support/LogCapture.h"

namespace {

using namespace imagetest;
using meru::ImageInfo;

struct InfoRecords : ::testing::Test {
    testsupport::LogCapture log;
    ImageInfo info;

    int Parse(const std::string& line, unsigned number = 11) { return info.ParseLine(nullptr, nullptr, line.c_str(), number); }
};

TEST_F(InfoRecords, IdentityRecordsFillPrimaryAndStation) {
    ASSERT_NE(Parse(InfoRecord(1, {21, 6, 1, 3})), 0);
    ASSERT_NE(Parse(InfoRecord(1, {31, 5, 1, 4})), 0);
    ASSERT_NE(Parse(InfoRecord(1, {99, 1, 9, 9})), 0);  // other components are ignored
    EXPECT_TRUE(info.primary.present);
    EXPECT_EQ(info.primary.componentId, 21);
    EXPECT_EQ(info.primary.Text(), "1.3.6");
    EXPECT_TRUE(info.station.present);
    EXPECT_EQ(info.station.Text(), "1.4.5");
    EXPECT_EQ(log.Text(), "");
    EXPECT_EQ(Parse(InfoRecord(1, {21, 6, 1}), 12), 0);
    EXPECT_EQ(log.Text(), "Line 12: Invalid record format. \n");
}

TEST_F(InfoRecords, CompatibilityRecordsGoToTheirInterfaceSlot) {
    ASSERT_NE(Parse(InfoRecord(2, {1, 3, 2, 1, 4})), 0);
    ASSERT_NE(Parse(InfoRecord(2, {0, 3, 7, 2, 5})), 0);  // replaces interface 3
    ASSERT_NE(Parse(InfoRecord(2, {0, 4, 1, 1, 1})), 0);
    const auto& slot = info.compatibility[3];
    EXPECT_TRUE(slot.present);
    EXPECT_EQ(slot.role, 0);
    EXPECT_EQ(slot.interfaceId, 3);
    EXPECT_EQ(slot.variant, 7);
    EXPECT_EQ(slot.bottom, 2);
    EXPECT_EQ(slot.top, 5);
    EXPECT_TRUE(info.compatibility[4].present);
    EXPECT_FALSE(info.compatibility[0].present);
    for (const std::string& bad : {InfoRecord(2, {0, 5, 1, 1, 1}), InfoRecord(2, {0, 1, 1, 1}),
                                   InfoRecord(2, {0, 1, 1, 1, 1, 1})}) {
        log.Reset();
        EXPECT_EQ(Parse(bad, 13), 0) << bad;
        EXPECT_EQ(log.Text(), "Line 13: Invalid record format. \n");
    }
}

TEST_F(InfoRecords, BuildSequenceIsStoredAndLoggedWhateverItsSize) {
    ASSERT_NE(Parse(InfoRecord(3, {42})), 0);
    ASSERT_NE(Parse(InfoRecord(3, {43, 0, 0})), 0);
    EXPECT_EQ(info.buildSequence, 43);
    EXPECT_EQ(log.Text(), "Build sequence: 42\nBuild sequence: 43\n");
    log.Reset();
    EXPECT_EQ(Parse(InfoRecord(3, {}), 14), 0);  // no sequence word
    EXPECT_EQ(log.Text(), "Line 14: Invalid record format. \n");
    EXPECT_EQ(info.buildSequence, 43);
}

TEST_F(InfoRecords, PlatformRecordsFillTwentyNineSlotsThenKeepOverwritingTheLast) {
    for (uint16_t id = 1; id <= 31; ++id) ASSERT_NE(Parse(InfoRecord(4, {id, 10, 20, 30})), 0);
    for (size_t i = 0; i < 29; ++i) EXPECT_EQ(info.platforms[i].platformId, i + 1);
    EXPECT_TRUE(info.platforms[29].present);
    EXPECT_EQ(info.platforms[29].platformId, 31);
    EXPECT_EQ(info.platforms[29].extra[2], 30);
    EXPECT_EQ(Parse(InfoRecord(4, {1, 2, 3}), 16), 0);
    EXPECT_EQ(log.Text(), "Line 16: Invalid record format. \n");
}

TEST_F(InfoRecords, UnknownTypesAreLoggedWordByWordAndAccepted) {
    ASSERT_NE(Parse(InfoRecord(0x1A, {0xBEEF, 7})), 0);
    ASSERT_NE(Parse(InfoRecord(9, {0})), 0);
    EXPECT_EQ(log.Text(),
              "Unknown firmware info record - size: 3, type 1a; Data:  beef 7 \n"
              "Unknown firmware info record - size: 2, type 9; Data:  0 \n");
    // A record needs at least one word after its type.
    log.Reset();
    EXPECT_EQ(Parse(InfoRecord(9, {}), 19), 0);
    EXPECT_EQ(log.Text(), "Line 19: Invalid record format. \n");
}

TEST_F(InfoRecords, SizeFieldMustMatchAndStayWithinTwentyWords) {
    auto bytes = WordBytes({6, 1, 21, 6, 1, 3});  // announces 6 words, carries 5
    EXPECT_EQ(Parse(S3(0xFF200000, bytes), 17), 0);
    EXPECT_EQ(log.Text(), "Line 17: Record length does not correspond to size field.\n");
    log.Reset();
    EXPECT_EQ(Parse(S3(0xFF200000, {3}), 17), 0);  // not even a whole size word
    EXPECT_EQ(log.Text(), "Line 17: Record length does not correspond to size field.\n");
    log.Reset();
    EXPECT_EQ(Parse(S3(0xFF200000, WordBytes({0})), 17), 0);  // no type word
    EXPECT_EQ(log.Text(), "Line 17: Invalid record format. \n");
    log.Reset();
    EXPECT_EQ(Parse(InfoRecord(9, std::vector<uint16_t>(20, 1)), 18), 0);
    EXPECT_EQ(log.Text(), "Line 18: Record length too long.\n");
    log.Reset();
    EXPECT_NE(Parse(InfoRecord(9, std::vector<uint16_t>(19, 1)), 18), 0);
}

TEST_F(InfoRecords, InfoRecordsAnywhereInTheirRangeCount) {
    ASSERT_NE(Parse(S3(0xFF2FFFFF, WordBytes({5, 1, 31, 0, 2, 0}))), 0);
    EXPECT_EQ(info.station.Text(), "2.0.0");
}

TEST(FirmwareIdentity, OrdersByMajorMinorVariantAsUnsigned) {
    meru::FirmwareIdentity a{true, 31, 1, 3, 6};
    meru::FirmwareIdentity b{true, 31, 1, 4, 0};
    meru::FirmwareIdentity c{true, 31, 0xFFFF, 0, 0};
    EXPECT_LT(a.Compare(b), 0);
    EXPECT_GT(b.Compare(a), 0);
    EXPECT_EQ(a.Compare(a), 0);
    EXPECT_EQ(a.Compare({true, 31, 1, 3, 9}), -3);
    EXPECT_GT(c.Compare(a), 0);  // 65535 is the largest major, not -1
    EXPECT_EQ(c.Text(), "65535.0.0");
}

}  // namespace
