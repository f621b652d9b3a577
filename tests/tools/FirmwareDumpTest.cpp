// The flash dump through the main window's command, against the software
// card: reads per piece, aborts, and the files it leaves.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "ToolsRig.h"
#include "app/ResourceIds.h"
#include "image/FirmwareImage.h"
#include "image/ImageInfo.h"
#include "sim/CardLayout.h"
#include "sim/CardProtocol.h"
#include "support/TempDir.h"

namespace {

using toolstest::ToolsRig;

const char kWarning[] =
    "WARNING - This procedure is not guaranteed to work. This procedure only works on VELOX cards with parallel "
    "flash! Do you wish to continue?";
const char kSaved[] = "File Saved Successfully.";
const char kAborted[] = "Too many read errors. Aborting.";
const char kAuxRefused[] = "Could not read from Aux Port";

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    for (size_t start = 0; start < text.size();) {
        const size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start) + "(no line end)");
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

// The card's flash bytes of the dump window, as the card stores them.
std::vector<uint8_t> FlashWindow(const sim::CardState& card, uint32_t start) {
    std::vector<uint8_t> bytes(0x20000);
    for (uint32_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = card.flash.ReadByte(sim::StorageAddress(card.macType, start + i));
    }
    return bytes;
}

struct DumpCase {
    const char* name;
    uint16_t macType;
    meru::DumpFormat format;
    uint32_t dumpAddress;
    const char* firstLine;  // its beginning
    const char* lastDataLine;
};

TEST(DumpFirmware, StableCardThreeReadsAPiece) {
    const DumpCase cases[] = {
        {"S-records, MX200", 2, meru::DumpFormat::kSRecord, 0x7E0000, "S315007E0000", "S315007FFFF0"},
        {"S-records, MX100", 1, meru::DumpFormat::kSRecord, 0x3E0000, "S315003E0000", "S315003FFFF0"},
        {"text dump, MX200", 2, meru::DumpFormat::kTextDump, 0x7E0000, "7e0000: ", "7ffff0: "},
    };
    for (const DumpCase& c : cases) {
        SCOPED_TRACE(c.name);
        ToolsRig rig(c.macType);
        testsupport::TempDir dir;
        meru::MainWindow& window = rig.StartWithTools();
        rig.toolsView.dumpPath = dir.File("card.dump");
        rig.toolsView.dumpFormat = c.format;
        window.OnCommand(IDM_DUMP_FIRMWARE);

        EXPECT_EQ(rig.Requests(sim::kOidAuxRead), 768u);
        EXPECT_EQ(rig.BoxTexts(), (std::vector<std::string>{kWarning, kSaved}));
        EXPECT_EQ(rig.boxes.boxes[0].caption, "Warning Notice");
        EXPECT_EQ(rig.boxes.boxes[0].type, 0x21u);
        EXPECT_EQ(rig.toolsView.proposedNames, std::vector<std::string>{"99SA00012345"});
        EXPECT_FALSE(window.Adapter().IsOpen());

        const auto lines = Lines(testsupport::ReadWholeFile(rig.toolsView.dumpPath));
        const bool srecords = c.format == meru::DumpFormat::kSRecord;
        ASSERT_EQ(lines.size(), srecords ? 8193u : 8192u);
        EXPECT_EQ(lines.front().rfind(c.firstLine, 0), 0u) << lines.front();
        const std::string& lastData = srecords ? lines[8191] : lines.back();
        EXPECT_EQ(lastData.rfind(c.lastDataLine, 0), 0u) << lastData;
        if (!srecords) continue;
        EXPECT_EQ(lines.back(), "S70500000000FA");
        for (size_t i = 0; i + 1 < lines.size(); ++i) ASSERT_EQ(lines[i].size(), 46u) << i;

        // Our reader takes it back as the card's dump window.
        meru::ImageInfo info;
        meru::FirmwareImage image;
        EXPECT_EQ(info.LoadFile(rig.toolsView.dumpPath, &image, nullptr), 8193);
        ASSERT_EQ(image.BlockCount(), 1);
        EXPECT_EQ(image.BlockAt(1).startAddress, c.dumpAddress);
        EXPECT_EQ(image.BlockAt(1).length, 0x20000u);
        EXPECT_TRUE(image.HasExecutionAddress());
        EXPECT_EQ(image.ExecutionAddress(), 0u);
        std::vector<uint8_t> read(0x20000);
        uint32_t address = 0;
        uint16_t length = 0;
        image.Rewind();
        for (uint32_t at = 0; at < read.size(); at += length) {
            ASSERT_TRUE(image.NextChunk(read.data() + at, address, length, 2042, 0));
        }
        EXPECT_EQ(read, FlashWindow(rig.card.State(), c.dumpAddress));
    }
}

struct FaultCase {
    const char* name;
    const char* fault;
    uint64_t reads;
    std::vector<std::string> boxes;
    bool written;
};

TEST(DumpFirmware, UnreliableReads) {
    std::vector<std::string> refusedEverywhere = {kWarning};
    for (int i = 0; i < 11; ++i) refusedEverywhere.push_back(kAuxRefused);
    refusedEverywhere.push_back(kAborted);
    const FaultCase cases[] = {
        // Every read of the first piece differs: eleven disagreements, two reads each.
        {"flaky first piece", "flaky-reads 0x7E0000 0x7E01FF", 22, {kWarning, kAborted}, false},
        {"flaky last piece", "flaky-reads 0x7FFE00 0x7FFFFF", 255 * 3 + 22, {kWarning, kAborted}, false},
        // A refused read counts toward the same limit, so a dead card ends.
        {"every read refused", "refuse 0xFF010186 always", 11, refusedEverywhere, false},
        {"one confirmation refused", "refuse 0xFF010186 nth 2", 768 + 2, {kWarning, kAuxRefused, kSaved}, true},
    };
    for (const FaultCase& c : cases) {
        SCOPED_TRACE(c.name);
        ToolsRig rig;
        testsupport::TempDir dir;
        meru::MainWindow& window = rig.StartWithTools();
        std::string error;
        ASSERT_TRUE(rig.card.AddFault(c.fault, error)) << error;
        rig.toolsView.dumpPath = dir.File("card.hex");
        window.OnCommand(IDM_DUMP_FIRMWARE);
        EXPECT_EQ(rig.Requests(sim::kOidAuxRead), c.reads);
        EXPECT_EQ(rig.BoxTexts(), c.boxes);
        EXPECT_EQ(std::filesystem::exists(rig.toolsView.dumpPath), c.written);
        EXPECT_FALSE(window.Adapter().IsOpen());
    }
}

TEST(DumpFirmware, StopsBeforeReadingWhenNotWanted) {
    struct Case {
        const char* name;
        int answer;
        const char* path;  // "" cancels the save dialog
        size_t dialogs;
    } cases[] = {{"warning cancelled", meru::kAnswerCancel, "x.hex", 0},
                 {"save dialog cancelled", meru::kAnswerOk, "", 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ToolsRig rig;
        meru::MainWindow& window = rig.StartWithTools();
        rig.boxes.answers = {c.answer};
        rig.toolsView.dumpPath = c.path;
        window.OnCommand(IDM_DUMP_FIRMWARE);
        EXPECT_EQ(rig.Requests(sim::kOidAuxRead), 0u);
        EXPECT_EQ(rig.toolsView.proposedNames.size(), c.dialogs);
        EXPECT_EQ(rig.BoxTexts(), std::vector<std::string>{kWarning});
    }
}

TEST(DumpFirmware, FileThatCannotBeWrittenIsReported) {
    testsupport::TempDir dir;
    std::vector<std::string> paths = {dir.File("no-such-folder/card.hex")};
    if (std::filesystem::exists("/dev/full")) paths.push_back("/dev/full");  // a full disk
    for (const std::string& path : paths) {
        for (meru::DumpFormat format : {meru::DumpFormat::kSRecord, meru::DumpFormat::kTextDump}) {
            SCOPED_TRACE(path);
            ToolsRig rig;
            meru::MainWindow& window = rig.StartWithTools();
            rig.toolsView.dumpPath = path;
            rig.toolsView.dumpFormat = format;
            window.OnCommand(IDM_DUMP_FIRMWARE);
            ASSERT_EQ(rig.boxes.boxes.size(), 2u);
            EXPECT_EQ(rig.boxes.boxes[1].text, "Error File could not be written");
            EXPECT_EQ(rig.boxes.boxes[1].caption, "Error");
            EXPECT_EQ(rig.boxes.boxes[1].type, meru::kBoxIconStop);
        }
    }
}

}  // namespace
