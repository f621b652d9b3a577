// The two dump file writers: byte-exact lines, and failed writes reported.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "image/FirmwareImage.h"
#include "image/SRecordText.h"
#include "support/TempDir.h"
#include "tools/DumpFiles.h"

namespace {

// Sixteen bytes 00..0F at 0x7E0000 and a second block of three bytes.
void FillSmallImage(meru::FirmwareImage& image) {
    std::vector<uint8_t> first(16);
    for (int i = 0; i < 16; ++i) first[i] = static_cast<uint8_t>(i);
    const uint8_t second[] = {0x11, 0x22, 0x33};
    ASSERT_TRUE(image.AppendBytes(first.data(), 0x7E0000, 16));
    ASSERT_TRUE(image.AppendBytes(second, 0x7E0100, 3));
}

TEST(DumpFiles, SmallImageByteExact) {
    testsupport::TempDir dir;
    meru::FirmwareImage image;
    FillSmallImage(image);

    std::vector<uint8_t> first(16);
    for (int i = 0; i < 16; ++i) first[i] = static_cast<uint8_t>(i);
    const std::string srecords = imagetest::SRecord('3', 0x7E0000, first) + "\r\n" +
                                 imagetest::SRecord('3', 0x7E0100, {0x11, 0x22, 0x33}) + "\r\n" +
                                 "S70500000000FA\r\n";
    EXPECT_EQ(meru::WriteSRecordFile(dir.File("a.hex"), image), 3);
    EXPECT_EQ(testsupport::ReadWholeFile(dir.File("a.hex")), srecords);

    EXPECT_EQ(meru::WriteTextDump(dir.File("a.dmp"), image), 2);
    EXPECT_EQ(testsupport::ReadWholeFile(dir.File("a.dmp")),
              "7e0000: 0100,0302,0504,0706,0908,0b0a,0d0c,0f0e\r\n7e0100: 2211,33\r\n");

    // An execution address ends the S-record file instead of 0; an existing file is replaced.
    image.SetExecutionAddress(0x00123456);
    EXPECT_EQ(meru::WriteSRecordFile(dir.File("a.hex"), image), 3);
    const std::string text = testsupport::ReadWholeFile(dir.File("a.hex"));
    EXPECT_EQ(text.substr(text.rfind("S7")), imagetest::SRecord('7', 0x00123456, {}) + "\r\n");
    EXPECT_EQ(text.size(), srecords.size());
}

// An output that takes `room` characters and then fails, as a full disk
// does: the line that does not fit is taken in part.
struct FullDisk {
    size_t room;
    std::string taken;

    meru::DumpLineOutput Output() {
        return [this](const std::string& line) {
            const size_t fits = std::min(line.size(), room - taken.size());
            taken += line.substr(0, fits);
            return fits == line.size();
        };
    }
};

TEST(DumpFiles, OutputCutShortGivesNoLineCount) {
    struct Case {
        const char* name;
        uint16_t (*write)(const meru::DumpLineOutput&, meru::FirmwareImage&);
        uint16_t lines;
    } cases[] = {{"S-records", meru::WriteSRecordLines, 3}, {"text dump", meru::WriteTextDumpLines, 2}};
    for (const auto& c : cases) {
        meru::FirmwareImage image;
        FillSmallImage(image);
        std::string whole;
        ASSERT_EQ(c.write([&whole](const std::string& line) { whole += line; return true; }, image), c.lines);
        const size_t size = whole.size();
        for (size_t room : {size_t{0}, size_t{1}, size / 2, size - 1, size}) {
            SCOPED_TRACE(std::string(c.name) + ", room " + std::to_string(room));
            FullDisk disk{room, ""};
            EXPECT_EQ(c.write(disk.Output(), image), room == size ? c.lines : 0);
            EXPECT_EQ(disk.taken, whole.substr(0, room));
        }
    }
}

}  // namespace
