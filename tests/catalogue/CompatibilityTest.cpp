#include <gtest/gtest.h>

#include <string>

#include "image/Compatibility.h"
#include "image/ImageInfo.h"

namespace {

meru::ImageInfo WithSlot(uint16_t interfaceId, uint16_t role, uint16_t bottom, uint16_t top, uint16_t variant = 1) {
    meru::ImageInfo info;
    info.compatibility[interfaceId] = {true, role, interfaceId, variant, bottom, top};
    return info;
}

TEST(RangesOverlap, SharedEndPointsOverlapAndDisjointRangesDoNot) {
    EXPECT_TRUE(meru::RangesOverlap(1, 2, 2, 5));
    EXPECT_TRUE(meru::RangesOverlap(2, 5, 1, 2));
    EXPECT_FALSE(meru::RangesOverlap(1, 2, 3, 5));
    EXPECT_FALSE(meru::RangesOverlap(3, 5, 1, 2));
    EXPECT_TRUE(meru::RangesOverlap(1, 9, 3, 4));    // one inside the other
    EXPECT_TRUE(meru::RangesOverlap(4, 4, 4, 4));
    EXPECT_FALSE(meru::RangesOverlap(4, 4, 5, 5));
    // Values are unsigned 16-bit: 0xFFFF is the top, not -1.
    EXPECT_TRUE(meru::RangesOverlap(0x8000, 0xFFFF, 0xFFFF, 0xFFFF));
    EXPECT_FALSE(meru::RangesOverlap(0, 0x7FFF, 0x8000, 0xFFFF));
    // An inverted range holds nothing.
    EXPECT_FALSE(meru::RangesOverlap(5, 1, 1, 9));
}

TEST(InterfaceRanges, StationAndPrimaryFitWhenTheirInterfaceThreeRangesOverlap) {
    const meru::ImageInfo primary = WithSlot(3, 0, 2, 9);
    EXPECT_TRUE(meru::InterfaceRangesOverlap(WithSlot(3, 1, 1, 2), primary));
    EXPECT_FALSE(meru::InterfaceRangesOverlap(WithSlot(3, 1, 1, 1), primary));
    EXPECT_TRUE(meru::InterfaceRangeFits(WithSlot(3, 1, 1, 2), 2, 9));
    EXPECT_FALSE(meru::InterfaceRangeFits(WithSlot(3, 1, 1, 1), 2, 9));
}

TEST(InterfaceRanges, ImageThatDeclaresNothingForInterfaceThreeDoesNotFit) {
    // What an earlier load left in the slot: a range that would overlap.
    meru::ImageInfo stale = WithSlot(3, 1, 1, 9);
    stale.Reset();
    stale.compatibility[4] = {true, 0, 4, 1, 1, 9};
    const meru::ImageInfo primary = WithSlot(3, 0, 1, 9);
    EXPECT_FALSE(meru::InterfaceRangesOverlap(stale, primary));
    EXPECT_FALSE(meru::InterfaceRangesOverlap(primary, stale));
    EXPECT_FALSE(meru::InterfaceRangeFits(stale, 1, 9));
    EXPECT_FALSE(meru::InterfaceRangeFits(meru::ImageInfo(), 0, 0));
}

TEST(CompatibilityText, ListsInterfacesOneToFourInOrder) {
    meru::ImageInfo station;
    station.compatibility[4] = {true, 0, 4, 1, 2, 3};
    station.compatibility[3] = {true, 1, 3, 1, 1, 2};
    station.compatibility[1] = {true, 1, 1, 7, 1, 1};
    station.compatibility[2] = {true, 1, 2, 1, 1, 65535};
    std::string text = "Station: 1.5.0";
    EXPECT_TRUE(meru::CompatibilityText(station, text));
    EXPECT_EQ("Station: 1.5.0\n  Compatibility:\n"
              "    Modem-Firmware: Actor: Range=1..1 Variant=7\n"
              "    Controller-Firmware: Actor: Range=1..65535 Variant=1\n"
              "    Primary Firmware-Driver: Actor: Range=1..2 Variant=1\n"
              "    Station Firmware-Driver: Supplier: Range=2..3 Variant=1\n",
              text);
}

TEST(CompatibilityText, InterfaceZeroIsNeverShown) {
    const meru::ImageInfo onlyZero = WithSlot(0, 0, 1, 2);
    std::string text;
    EXPECT_FALSE(meru::CompatibilityText(onlyZero, text));
    EXPECT_EQ("\n  Compatibility:\n", text);

    text.clear();
    EXPECT_FALSE(meru::CompatibilityText(meru::ImageInfo(), text));
    EXPECT_EQ("\n  Compatibility:\n", text);
}

TEST(CompatibilityText, UnknownRoleIsShownByItsNumber) {
    std::string text;
    EXPECT_TRUE(meru::CompatibilityText(WithSlot(3, 7, 1, 2), text));
    EXPECT_EQ("\n  Compatibility:\n    Primary Firmware-Driver: Role 7: Range=1..2 Variant=1\n", text);
    EXPECT_EQ("Role 65535", meru::RoleName(0xFFFF));
    EXPECT_EQ("Interface 9", meru::InterfaceName(9));
}

TEST(CompatibilityText, RecordsReadFromAnImageAreShown) {
    meru::ImageInfo info;
    // Compatibility records: supplier of interface 3 (2..4), actor of interface 2 (1..2).
    ASSERT_NE(0, info.ParseLine(nullptr, nullptr, "S313FF2000000600020000000300010002000400BB", 1));
    ASSERT_NE(0, info.ParseLine(nullptr, nullptr, "S313FF20000E0600020001000200010001000200B0", 2));
    std::string text;
    EXPECT_TRUE(meru::CompatibilityText(info, text));
    EXPECT_EQ("\n  Compatibility:\n"
              "    Controller-Firmware: Actor: Range=1..2 Variant=1\n"
              "    Primary Firmware-Driver: Supplier: Range=2..4 Variant=1\n",
              text);
}

}  // namespace
