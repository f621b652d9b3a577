// The texts the tools build: PDA lines, CIS tuples, driver version, MAC
// controller type.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/ToolTexts.h"

namespace {

TEST(PdaDisplayText, OneRecordALineEachWordFollowedByABlank) {
    struct Case {
        std::vector<uint16_t> words;
        std::string text;
    } cases[] = {
        {{4, 0x101, 0x201, 0x0A03, 0x0C0B, 2, 0, 0xBEEF}, "4 101 201 a03 c0b \r\n2 0 beef "},
        {{2, 0, 0x1234}, "2 0 1234 "},
        {{}, ""},
        {{0xFFFF, 0x0003, 0x4141}, "ffff 3 4141 "},  // a length past the words keeps them on its line
    };
    for (const auto& c : cases) EXPECT_EQ(meru::PdaDisplayText(c.words.data(), c.words.size()), c.text);
}

TEST(CisDisplayText, TuplesUntilTheEndCodeOrTheLastByte) {
    const std::string heading = "; CIS from flash\r\n; -------------------------";
    std::vector<uint8_t> endCode(512, 0xFF);
    const uint8_t start[] = {0x01, 0x03, 0xD9, 0x01};
    std::copy(std::begin(start), std::end(start), endCode.begin());
    // Code 0, link 0 everywhere: no end code, all 512 bytes in 256 tuples.
    std::string noEnd = heading;
    for (int i = 0; i < 256; ++i) noEnd += "\r\n0 0 ";
    // Links 253 and 254 put the third tuple's start on the last byte.
    std::vector<uint8_t> lastByte(512, 0x11);
    lastByte[1] = 253;
    lastByte[256] = 254;
    lastByte[511] = 0x40;
    std::string lastByteText = heading + "\r\n11 fd ";
    for (int i = 0; i < 253; ++i) lastByteText += "11 ";
    lastByteText += "\r\n11 fe ";
    for (int i = 0; i < 254; ++i) lastByteText += "11 ";
    lastByteText += "\r\n40 ";

    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        std::string text;
    } cases[] = {
        {"end code", endCode, heading + "\r\n1 3 d9 1 ff \r\nff "},
        {"no end code", std::vector<uint8_t>(512, 0x00), noEnd},
        {"tuple on the last byte", lastByte, lastByteText},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(meru::CisDisplayText(c.bytes.data(), c.bytes.size()), c.text);
    }
}

TEST(DriverVersionText, ThreePartsTheLastTwoPaddedToTwoPlaces) {
    struct Case {
        uint32_t version;
        const char* text;
    } cases[] = {{0x00010203, "Version: 1. 2. 3"}, {0x0001020A, "Version: 1. 2.10"},
                 {0x00FF0000, "Version: 255. 0. 0"}, {0xFFFFFFFF, "Version: 65535.255.255"}};
    for (const auto& c : cases) EXPECT_EQ(meru::DriverVersionText(c.version), c.text);
}

TEST(MacIdText, ByControllerType) {
    struct Case {
        uint16_t macType;
        const char* text;
    } cases[] = {
        {1, "MAC ID: 0\n\n(Indicates MX100 MAC)"},
        {2, "MAC ID: 2\n\n(Indicates MX200-based MAC)"},
        {0xFFFF, "65535\n\n(Unknown MAC type. This tool is incompatible with this card and/or driver.)"},
    };
    for (const auto& c : cases) EXPECT_EQ(meru::MacIdText(c.macType), c.text);
}

}  // namespace
