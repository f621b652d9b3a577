// mkfirmware refuses descriptions that would give images the updater or the
// software card cannot use.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "FirmwareDescription.h"
#include "ImageGenerator.h"

namespace {

const char* const kBoards = "board 0x0101 mac 1 L1\nboard 0x0201 mac 2 K1\n";

const char* const kGoodPrimary =
    "primary 152 PK010400.HEX\n"
    "    version 1.4.0\n"
    "    build 7\n"
    "    base 0x7E0000\n"
    "    entry 0\n"
    "    platform 0x0201\n"
    "    supplier 3 variant 1 range 2..4\n"
    "    actor 2 variant 1 range 1..2\n"
    "    block 0x7E0000 0x200\n"
    "    block 0x7E0400 0x100\n"
    "    plug filename 0x7E0060 20\n"
    "    plug 0x0101 0x7E0080 6\n";

const char* const kGoodStation =
    "station 161 SA010500.HEX\n"
    "    version 1.5.0\n"
    "    build 8\n"
    "    base 0x100000\n"
    "    entry 0\n"
    "    platform 0x0101\n"
    "    supplier 4 variant 1 range 2..3\n"
    "    actor 1 variant 1 range 1..1\n"
    "    actor 2 variant 1 range 1..2\n"
    "    actor 3 variant 1 range 3..5\n"
    "    block 0x100000 0x200\n"
    "    plug filename 0x100060 20\n";

// The parse or validation error for the description, "" when it is accepted.
std::string Problem(const std::string& text) {
    std::istringstream in(text);
    meru::CatalogueDescription catalogue;
    std::string error;
    if (!meru::ParseCatalogueDescription(in, catalogue, error)) return error;
    if (!meru::ValidateCatalogueDescription(catalogue, error)) return error;
    return "";
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

TEST(MkFirmwareDescription, AcceptsAConsistentImage) {
    EXPECT_EQ("", Problem(std::string(kBoards) + kGoodPrimary));
    EXPECT_EQ("", Problem(std::string(kBoards) + kGoodStation));
}

TEST(MkFirmwareDescription, RefusesImagesTheCardCouldNotUse) {
    const std::string good = std::string(kBoards) + kGoodPrimary;
    const std::string goodStation = std::string(kBoards) + kGoodStation;
    struct Case {
        const char* what;
        std::string text;
        const char* expected;
    };
    const Case cases[] = {
        {"name digits", Replace(good, "PK010400", "PK010300"), "name digits do not match version"},
        {"base for MAC type", Replace(good, "platform 0x0201", "platform 0x0101"), "MAC type"},
        {"plug into a gap", Replace(good, "0x0101 0x7E0080 6", "0x0101 0x7E01FC 6"), "outside the data blocks"},
        {"plug length", Replace(good, "0x0101 0x7E0080 6", "0x0101 0x7E0080 4"), "length does not match"},
        {"plug over identity", Replace(good, "0x0101 0x7E0080 6", "0x0101 0x7E0050 6"), "overlaps"},
        {"file name too long", Replace(good, "0x7E0060 20", "0x7E0060 21"), "at most 20 bytes"},
        {"no supplier record", Replace(good, "supplier 3", "supplier 4"), "must supply interface 3"},
        {"unknown board", Replace(good, "platform 0x0201", "platform 0x0301"), "not declared"},
        {"inverted range", Replace(good, "2..4", "4..2"), "bottom above top"},
        {"RAM entry", Replace(good, "entry 0", "entry 0x7E0100"), "execution address 0x7E0100 must be 0"},
        {"RAM entry of a station", Replace(goodStation, "entry 0", "entry 0x100200"),
         "execution address 0x100200 must be 0"},
        {"bad number", Replace(good, "build 7", "build 7x"), "line 5: bad number"},
        {"unknown keyword", Replace(good, "build 7", "bulid 7"), "unknown keyword"},
    };
    for (const Case& c : cases) {
        const std::string problem = Problem(c.text);
        EXPECT_NE(std::string::npos, problem.find(c.expected)) << c.what << ": " << problem;
    }
}

TEST(MkFirmwareImage, LinesCarryTheirChecksumAndTheIdentityBlockItsFields) {
    EXPECT_EQ("S70500000000FA\r\n", meru::SRecordLine('7', 0, nullptr, 0));
    const uint8_t data[] = {0x01, 0x02, 0xFF};
    EXPECT_EQ("S30800100000" "0102FF" "E5\r\n", meru::SRecordLine('3', 0x100000, data, 3));

    std::istringstream in(std::string(kBoards) + kGoodPrimary);
    meru::CatalogueDescription catalogue;
    std::string error;
    ASSERT_TRUE(meru::ParseCatalogueDescription(in, catalogue, error)) << error;
    const std::vector<uint8_t> identity = meru::IdentityBlock(catalogue.images.at(0));
    EXPECT_EQ((std::vector<uint8_t>{'V', 'X', 'I', 'D', 21, 0, 0, 0, 1, 0, 4, 0, 3, 0, 1, 0, 2, 0, 4, 0, 0, 0, 0, 0}),
              identity);
}

}  // namespace
