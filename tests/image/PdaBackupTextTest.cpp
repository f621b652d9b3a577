// The backup text: written by hand here from the format (a check value of
// the software card's own CRC), read back, and every kind of damage to the
// area part refused, so that a restore never writes words the card did not hold.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "image/PdaBackupText.h"
#include "sim/Crc16Arc.h"

namespace {

std::string BackupHex4(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "%04X", value & 0xFFFF);
    return text;
}

// A backup of an area whose word i is i * 3, written line by line.
std::string HandWrittenBackup(meru::PdaAreaWords& area) {
    for (size_t i = 0; i < area.size(); ++i) area[i] = static_cast<uint16_t>(i * 3);
    std::string text = "; VELOX PDA backup\n; permanent address 00-60-1D-99-88-77\n; PDA MAC address none\n";
    for (size_t at = 0; at < area.size(); at += 16) {
        text += "; area 0x" + BackupHex4(static_cast<unsigned>(at)) + ":";
        for (size_t i = at; i < at + 16; ++i) text += " " + BackupHex4(area[i]);
        text += "\n";
    }
    return text + "; area check 0x" + BackupHex4(sim::Crc16ArcOfWords(area.data(), area.size())) + "\n";
}

TEST(PdaBackupText, ReadsTheWholeAreaAndRefusesAnyDamage) {
    meru::PdaAreaWords area{};
    const std::string whole = HandWrittenBackup(area);
    const auto replaced = [&whole](const std::string& from, const std::string& to) {
        std::string text = whole;
        return text.replace(text.find(from), from.size(), to);
    };
    const size_t lastArea = whole.rfind("; area 0x01F0");
    struct Case {
        const char* name;
        std::string text;
        bool isBackup;
        const char* why;  // "" accepted
    };
    const Case cases[] = {
        {"as written", whole, true, ""},
        {"CR LF line ends", replaced("\n; area 0x0000", "\r\n; area 0x0000"), true, ""},
        {"not a backup", "0x0002, 0x0008, 0x8000\n", false, ""},
        {"one word changed", replaced(" 0003 ", " 0004 "), true, "do not match their check value"},
        {"cut after the last area line", whole.substr(0, whole.find("; area check")), true, "incomplete"},
        {"cut before the last area line", whole.substr(0, lastArea), true, "incomplete"},
        {"an area line missing", whole.substr(0, lastArea) + whole.substr(whole.find("; area check")), true,
         "incomplete"},
        {"lines out of order", replaced("; area 0x0010", "; area 0x0020"), true, "damaged"},
        {"a word too short", replaced(" 0003 ", " 003 "), true, "damaged"},
        {"text after the check value", whole + "0x0002, 0x0008, 0x8000\n", true, "goes on after"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        meru::PdaBackupContent content;
        const std::string why = meru::ReadPdaBackupText(c.text, content);
        EXPECT_EQ(content.isBackup, c.isBackup);
        if (*c.why == '\0') {
            EXPECT_EQ(why, "");
            if (c.isBackup) {
                EXPECT_EQ(content.area, area);
                EXPECT_EQ(content.permanentAddress, "00-60-1D-99-88-77");
            }
        } else {
            EXPECT_NE(why.find(c.why), std::string::npos) << why;
        }
    }
    // What the updater writes reads back as the same words.
    meru::PdaBackupContent back;
    EXPECT_EQ(meru::ReadPdaBackupText(meru::PdaBackupText(area, nullptr, "00-60-1D-99-88-77", ""), back), "");
    EXPECT_EQ(back.area, area);
}

}  // namespace
