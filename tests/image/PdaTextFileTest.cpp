#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "image/Pda.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"

namespace {

std::vector<uint16_t> Read(const std::string& text) {
    std::vector<uint16_t> words(meru::Pda::kMaxWords + 1, 0xEEEE);
    const uint16_t count = meru::ParsePdaText(text, words.data());
    EXPECT_EQ(words[meru::Pda::kMaxWords], 0xEEEE) << "wrote past 512 words";
    words.resize(count);
    return words;
}

using Words = std::vector<uint16_t>;

TEST(PdaTextNumbers, PrefixedAndPlainHexSeparatedByWhiteSpaceOrCommas) {
    testsupport::LogCapture log;
    EXPECT_EQ(Read("0x0002, 0x0008, 0x8000"), (Words{2, 8, 0x8000}));
    EXPECT_EQ(Read("2,8,8000"), (Words{2, 8, 0x8000}));
    EXPECT_EQ(Read("  0X0003\t0008\r\n ABCD,,fFfF\n"), (Words{3, 8, 0xABCD, 0xFFFF}));
    EXPECT_EQ(Read("00x2 8 0"), (Words{2, 8, 0}));
    EXPECT_EQ(Read("1 0x0"), (Words{1, 0}));
    // The prefix alone is the number 0; an "x" is taken while the number is still 0.
    EXPECT_EQ(Read("1 0x"), (Words{1, 0}));
    EXPECT_EQ(Read("2 0x;\n0x0x1"), (Words{2, 0, 1}));
    EXPECT_EQ(log.Text(), "");
}

TEST(PdaTextNumbers, LongNumbersAndMisplacedXMakeTheFileInvalid) {
    testsupport::LogCapture log;
    for (const char* text : {"1 12345", "1 0x12345", "1 000x123", "1 1x2", "1 0x1x2", "1 x12", "1 0xg"}) {
        EXPECT_EQ(Read(text), Words{}) << text;
    }
    EXPECT_EQ(Read("1 0x1234"), (Words{1, 0x1234}));
    EXPECT_EQ(Read("1 00001"), Words{});
}

TEST(PdaTextComments, RunToTheLineEndAndOnlySemicolonOrHashMayFollowDigits) {
    testsupport::LogCapture log;
    EXPECT_EQ(Read("2 8 8000; remark 1 2 3\n"), (Words{2, 8, 0x8000}));
    EXPECT_EQ(Read("2 8 8000 ; remark"), (Words{2, 8, 0x8000}));
    EXPECT_EQ(Read("2 8 8000#remark"), (Words{2, 8, 0x8000}));
    EXPECT_EQ(Read("Platform record: 2 8\n// 99\n2 8 1 ; pairs of words\n"), (Words{2, 8, 1}));
    EXPECT_EQ(Read("2 8 8000x"), Words{});
    EXPECT_EQ(Read("2 8 8000q"), Words{});
    EXPECT_EQ(Read("2 8 80-00"), Words{});
    EXPECT_EQ(log.Text(), "PDA file line 1: 'x' inside a number.\n"
                          "PDA file line 1: number followed by a character that is neither a separator nor ';' or '#'.\n"
                          "PDA file line 1: number followed by a character that is neither a separator nor ';' or '#'.\n");
}

TEST(PdaTextRecords, TheWordsMustEndExactlyWithACompleteRecord) {
    testsupport::LogCapture log;
    EXPECT_EQ(Read("2 8"), Words{});
    EXPECT_EQ(Read("2 8 1 3"), Words{});
    EXPECT_EQ(Read("2 8 1 1 8"), (Words{2, 8, 1, 1, 8}));
    EXPECT_EQ(Read("0 0 2 8 1"), (Words{0, 0, 2, 8, 1}));
    EXPECT_EQ(Read(""), Words{});
    EXPECT_EQ(Read("; only a remark\n"), Words{});
    EXPECT_EQ(log.Text(), "PDA file: the last record is incomplete (2 words read).\n"
                          "PDA file: the last record is incomplete (4 words read).\n"
                          "PDA file holds no words.\n"
                          "PDA file holds no words.\n");
}

TEST(PdaTextRecords, ReadingStopsAt512Words) {
    testsupport::LogCapture log;
    std::string text = "1ff";  // one record of 512 words
    for (int i = 0; i < 511; ++i) text += " 1";
    EXPECT_EQ(Read(text + " trailing x junk !").size(), 512u);
    EXPECT_EQ(Read(text + "\n2 8").size(), 512u);  // words past the limit are not looked at
    std::string zeros;
    for (int i = 0; i < 600; ++i) zeros += "0\n";
    EXPECT_EQ(Read(zeros).size(), 512u);
}

TEST(PdaTextFile, ReadsFromDiskAndAppliesOntoAPda) {
    testsupport::LogCapture log;
    testsupport::TempDir dir;
    const std::string path = dir.File("card.pda");
    testsupport::WriteWholeFile(path, "; platform then a delete\r\n0x0005,0x0008,0x8002,1,2,3\r\n2 2 0x7\r\n1 8\r\n");
    uint16_t words[meru::Pda::kMaxWords];
    const uint16_t count = meru::ReadPdaTextFile(path, words);
    ASSERT_EQ(count, 11);
    meru::Pda pda;
    const uint16_t platform[] = {5, 0x0008, 0x1, 0, 0, 0};
    pda.AddRecord(platform);
    EXPECT_EQ(pda.ParseWords(words, count), 3);
    EXPECT_EQ(pda.Find(0x0008), nullptr);
    ASSERT_NE(pda.Find(0x0002), nullptr);
    EXPECT_EQ(pda.Find(0x0002)[2], 7);

    EXPECT_EQ(meru::ReadPdaTextFile(dir.File("absent.pda"), words), 0);
    testsupport::WriteWholeFile(path, "");
    EXPECT_EQ(meru::ReadPdaTextFile(path, words), 0);
    // Ctrl-Z ends the file, as text-mode reading does.
    testsupport::WriteWholeFile(path, std::string("0x0002, 0x0002, 0x0007\r\n\x1A\0junk x", 31));
    EXPECT_EQ(meru::ReadPdaTextFile(path, words), 3);
    testsupport::WriteWholeFile(path, "2 8\n3 x\n");
    EXPECT_EQ(meru::ReadPdaTextFile(path, words), 0);
    EXPECT_NE(log.Text().find("PDA file line 2: number begins with 'x'.\n"), std::string::npos);
}

}  // namespace
