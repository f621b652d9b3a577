#include <gtest/gtest.h>

#include <map>
#include <string>

#include "SRecordText.h"
#include "image/FirmwareImage.h"
#include "image/ImageInfo.h"
#include "image/PlugRecordList.h"
#include "image/ResourceSource.h"
#include "support/LogCapture.h"
#include "support/RecordingMessageBoxes.h"
#include "support/TempDir.h"

namespace {

using namespace imagetest;
using meru::FirmwareImage;
using meru::ImageInfo;
using meru::PlugRecordList;

std::string Lines(std::initializer_list<std::string> lines, const char* end = "\r\n") {
    std::string text;
    for (const auto& line : lines) text += line + end;
    return text;
}

// An image with every kind of record, plug records out of target order.
std::string SampleImage() {
    return Lines({SRecord('0', 0, {'P', 'K'}), InfoRecord(1, {21, 6, 1, 3}), InfoRecord(2, {0, 1, 1, 2, 3}),
                  InfoRecord(3, {17}), InfoRecord(4, {0x8002, 1, 2, 3}), PlugRecord(0x0101, 0x7E0020, 6),
                  PlugRecord(0x0003, 0x7E0010, 12), S3(0x7E0000, Bytes(32)), S3(0x7E0020, Bytes(16, 0x20)),
                  S3(0x7D0000, Bytes(4)), S7(0x7E0000)});
}

struct LoadFixture : ::testing::Test {
    testsupport::LogCapture log;
    testsupport::TempDir dir;
    FirmwareImage image;
    PlugRecordList plugs;
    ImageInfo info;

    std::string Write(const std::string& text, const std::string& name = "image.hex") {
        const std::string path = dir.File(name);
        testsupport::WriteWholeFile(path, text);
        return path;
    }
    uint16_t LoadFileText(const std::string& text) { return info.LoadFile(Write(text), &image, &plugs); }
};

using LoadFile = LoadFixture;

TEST_F(LoadFile, ReadsEveryKindOfRecord) {
    ASSERT_EQ(LoadFileText(SampleImage()), 11);
    EXPECT_EQ(info.primary.Text(), "1.3.6");
    EXPECT_FALSE(info.station.present);
    EXPECT_TRUE(info.compatibility[1].present);
    EXPECT_EQ(info.buildSequence, 17);
    EXPECT_EQ(info.platforms[0].platformId, 0x8002);
    EXPECT_EQ(image.ExecutionAddress(), 0x7E0000u);
    ASSERT_EQ(image.BlockCount(), 2);
    EXPECT_EQ(image.BlockAt(1).length, 48u);
    EXPECT_EQ(image.BlockAt(2).startAddress, 0x7D0000u);
    plugs.Rewind();
    EXPECT_EQ(plugs.Next()->targetAddress, 0x7E0010u);
    EXPECT_EQ(plugs.Next()->targetAddress, 0x7E0020u);
    EXPECT_EQ(plugs.Next(), nullptr);
    EXPECT_EQ(log.Text(), "Info records ignored.\nBuild sequence: 17\n");
}

TEST_F(LoadFile, AnExecutionAddressAloneIsAWholeImage) {
    EXPECT_EQ(LoadFileText("S70500000000FA\r\n"), 1);
    EXPECT_EQ(image.BlockCount(), 0);
    EXPECT_TRUE(image.HasExecutionAddress());
    EXPECT_EQ(image.ExecutionAddress(), 0u);
}

TEST_F(LoadFile, MissingFileIsLogged) {
    EXPECT_EQ(info.LoadFile(dir.File("absent.hex"), &image, &plugs), 0);
    EXPECT_EQ(log.Text(), "File not found. ");
}

TEST_F(LoadFile, WithoutExecutionAddressOnlyAnInfoLoadSucceeds) {
    const std::string text = Lines({InfoRecord(1, {31, 0, 2, 1}), S3(0x100, {1}), ""}, "\n");
    EXPECT_EQ(LoadFileText(text), 0);
    EXPECT_EQ(log.Text(), "Error: Line 3: End reached without an execution address record.\n");
    log.Reset();
    EXPECT_EQ(info.LoadFile(Write(text), nullptr, nullptr), 3);
    EXPECT_TRUE(info.station.present);
    EXPECT_EQ(log.Text(), "");
}

TEST_F(LoadFile, LineEndsMayBeMixedAndEmptyLinesStillCount) {
    const std::string text = "\r\n\n" + S3(0x10, {1}) + "\n" + S7(0) + "\r\n\r\nS7050000000";
    EXPECT_EQ(LoadFileText(text), 0);
    EXPECT_EQ(log.Text(), "ERROR: Line 6: line length invalid.\n");
    log.Reset();
    image.Clear();
    EXPECT_EQ(LoadFileText("\n\n" + S7(0x10) + "\n\n"), 4);
}

// A failed load names its reason and the line it stopped at; a load that
// works names none, even after one that failed.
TEST_F(LoadFile, TheFailureNamesTheReasonAndTheLine) {
    struct Case {
        const char* name;
        std::string text;  // "": no file at all
        meru::ImageLoadError error;
        unsigned line;
    };
    const Case cases[] = {
        {"no file", "", meru::ImageLoadError::kFileNotFound, 0},
        {"a bad line", Lines({S3(0x10, {1}), S3(0x20, {2}), "S3 bad", S7(0)}), meru::ImageLoadError::kBadRecord, 3},
        {"a bad checksum", Lines({"", "S30600000010010F", S7(0)}), meru::ImageLoadError::kBadRecord, 2},
        {"no execution address", Lines({S3(0x10, {1}), "", ""}, "\n"), meru::ImageLoadError::kNoExecutionAddress, 3},
        {"a whole image", SampleImage(), meru::ImageLoadError::kNone, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        image.Clear();
        const std::string path = c.text.empty() ? dir.File("absent.hex") : Write(c.text);
        EXPECT_EQ(info.LoadFile(path, &image, &plugs) == 0, c.error != meru::ImageLoadError::kNone);
        EXPECT_EQ(info.Failure().error, c.error);
        EXPECT_EQ(info.Failure().line, c.line);
    }
}

TEST_F(LoadFile, AFailedLineStopsTheRead) {
    const std::string text = Lines({S3(0x10, {1}), "S3 bad", InfoRecord(1, {21, 0, 9, 9}), S7(0)});
    EXPECT_EQ(LoadFileText(text), 0);
    EXPECT_EQ(log.Text(), "Error: Line 2: Bad character found. Cannot process file.\n");
    EXPECT_FALSE(info.primary.present);
}

TEST_F(LoadFile, ALoadResetsTheInfoAndTheExecutionFlagButKeepsData) {
    ASSERT_NE(LoadFileText(SampleImage()), 0);
    ASSERT_EQ(LoadFileText(Lines({S3(0x100, {1}), S7(0x100)})), 2);
    EXPECT_FALSE(info.primary.present);
    EXPECT_EQ(info.buildSequence, 0);
    EXPECT_EQ(image.ExecutionAddress(), 0x100u);  // not a "2nd execution address"
    EXPECT_EQ(image.BlockCount(), 3);
}

TEST_F(LoadFile, OverLongLinesAreOneFailingLineAndNulsAreBadCharacters) {
    EXPECT_EQ(LoadFileText(S7(0) + "\n" + "S3" + std::string(700, '0') + "\n" + S7(0) + "\n"), 0);
    EXPECT_EQ(log.Text(), "ERROR: Line 2: line length invalid.\n");
    log.Reset();
    EXPECT_EQ(LoadFileText(S7(0) + std::string(1, '\0') + "\n"), 0);
    EXPECT_EQ(log.Text(), "Error: Line 1: Bad character found. Cannot process file.\n");
    log.Reset();
    EXPECT_EQ(LoadFileText("S70500\r000000FA\n"), 0);
    EXPECT_EQ(log.Text(), "Error: Line 1: Bad character found. Cannot process file.\n");
}

TEST_F(LoadFile, ReadingStopsAfterTheFirstRecordPastLine32000) {
    std::string text(32000, '\n');
    text += S7(0x20) + "\n" + "garbage\n";
    EXPECT_EQ(LoadFileText(text), 32001);
    EXPECT_EQ(log.Text(), "");
}

TEST_F(LoadFile, TheLineBoundaryAndCtrlZEndTheText) {
    struct Case {
        const char* name;
        std::string text;
        uint16_t lines;  // 0: the load fails
    };
    const Case cases[] = {
        {"a record on line 32000 does not stop the read", std::string(31999, '\n') + S7(0x20) + "\ngarbage\n", 0},
        {"a record on line 32001 does", std::string(32000, '\n') + S7(0x20) + "\ngarbage\n", 32001},
        {"Ctrl-Z after the last line", Lines({S3(0x20, {1, 2}), S7(0x20)}) + "\x1A", 2},
        {"Ctrl-Z ends the file and what follows is not read", Lines({S7(0x20)}) + "\x1Agarbage\r\n", 1},
        {"Ctrl-Z ends a line", S7(0x20) + "\x1A\r\n", 1},
        {"Ctrl-Z before the execution address", S3(0x20, {1, 2}) + "\r\n\x1A" + S7(0x20) + "\r\n", 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LoadFileText(c.text), c.lines) << c.name;
    }
}

using LoadText = LoadFixture;

TEST_F(LoadText, SplitsAtLineFeedsAndACarriageReturnEndsTheLine) {
    const std::string text = S3(0x10, {1, 2}) + "\rtrailing junk\n\n" + S7(0x10) + "\r\n";
    EXPECT_EQ(info.LoadText(text, &image, &plugs), 3);
    EXPECT_EQ(image.ByteCount(), 2u);
    EXPECT_EQ(info.LoadText("S70500000000FA", &image, &plugs), 1);
}

TEST_F(LoadText, NoExecutionAddressFailsWithoutAMessage) {
    EXPECT_EQ(info.LoadText(Lines({S3(0x10, {1})}), &image, &plugs), 0);
    EXPECT_EQ(log.Text(), "");
    EXPECT_EQ(info.LoadText(Lines({S3(0x10, {1})}), nullptr, nullptr), 1);
}

TEST_F(LoadText, LinesAreCutAt520CharactersInsideTheBuffer) {
    std::string longLine = "S3" + std::string(600, 'F');
    EXPECT_EQ(info.LoadText(longLine + "\n" + S7(0) + "\n", &image, &plugs), 0);
    EXPECT_EQ(log.Text(), "ERROR: Line 1: line length invalid.\n");
    log.Reset();
    // A valid record may follow a piece: the remainder of a cut line is a line of its own.
    const std::string filler(520, '\r');
    EXPECT_EQ(info.LoadText(filler + S7(0) + "\n", &image, &plugs), 2);
}

struct MapResources : meru::ResourceSource {
    std::map<unsigned, std::string> texts;
    bool Load(unsigned id, std::string& text) override {
        auto it = texts.find(id);
        if (it == texts.end()) return false;
        text = it->second;
        return true;
    }
};

TEST_F(LoadText, TheLineCountStopsAt65535ButTheTextIsReadToTheEnd) {
    const std::string text = std::string(65535, '\n') + S7(0x40) + "\n";
    EXPECT_EQ(info.LoadText(text, &image, &plugs), 0xFFFF);
    EXPECT_EQ(image.ExecutionAddress(), 0x40u);
    EXPECT_EQ(info.LoadText(std::string(65535, '\n') + "S3 bad\n", nullptr, nullptr), 0);
    EXPECT_EQ(log.Text(), "Error: Line 65536: Bad character found. Cannot process file.\n");
}

using LoadResource = LoadFixture;

TEST_F(LoadResource, ReadsTheResourceTextLikeAFile) {
    MapResources resources;
    resources.texts[142] = "S70500000000FA\r\n";
    resources.texts[152] = SampleImage();
    meru::SetResourceSource(&resources);
    EXPECT_EQ(info.LoadResource(142, &image, &plugs), 1);
    EXPECT_EQ(image.BlockCount(), 0);
    EXPECT_EQ(info.LoadResource(152, nullptr, nullptr), 11);
    EXPECT_EQ(info.platforms[0].platformId, 0x8002);
    meru::SetResourceSource(nullptr);
}

TEST_F(LoadResource, AMissingResourceIsAFailureOfItsOwnAndShowsNothing) {
    testsupport::RecordingMessageBoxes boxes;
    MapResources resources;
    meru::SetResourceSource(&resources);
    EXPECT_EQ(info.LoadResource(153, &image, &plugs), 0);
    EXPECT_EQ(info.Failure().error, meru::ImageLoadError::kResourceMissing);
    meru::SetResourceSource(nullptr);
    EXPECT_EQ(info.LoadResource(153, &image, &plugs), 0);  // no source at all
    EXPECT_EQ(info.Failure().error, meru::ImageLoadError::kResourceMissing);
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(log.Text(), "");
}

}  // namespace
