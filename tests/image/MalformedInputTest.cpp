// Damaged S-record lines and .pda texts, made by mutating valid ones: every
// input either parses or fails with a log line, and (under the sanitizers)
// nothing is read outside the input.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "SRecordText.h"
#include "image/FirmwareImage.h"
#include "image/ImageInfo.h"
#include "image/Pda.h"
#include "image/PlugRecordList.h"
#include "support/LogCapture.h"

namespace {

using namespace imagetest;

std::string Mutate(std::string text, std::mt19937& random) {
    static const std::string alphabet = "0123456789ABCDEFabcdefSsXx ;#,\t\r\n\0";
    const int edits = 1 + static_cast<int>(random() % 3);
    for (int e = 0; e < edits; ++e) {
        const size_t at = text.empty() ? 0 : random() % (text.size() + 1);
        switch (random() % 4) {
        case 0: text.resize(at); break;
        case 1: if (at < text.size()) text.erase(at, 1); break;
        case 2: text.insert(at, 1, alphabet[random() % alphabet.size()]); break;
        default: if (at < text.size()) text[at] = alphabet[random() % alphabet.size()]; break;
        }
    }
    return text;
}

uintmax_t LogSize(testsupport::LogCapture& log) {
    meru::TheSessionLog().Flush();
    std::error_code ignored;
    const auto size = std::filesystem::file_size(log.Path(), ignored);
    return ignored ? 0 : size;
}

TEST(MalformedInput, DamagedSRecordLinesFailWithALogLine) {
    testsupport::LogCapture log;
    const std::vector<std::string> seeds = {
        S3(0x7E0000, Bytes(16)), SRecord('1', 0x1234, {1, 2}), SRecord('2', 0x123456, {3}), S7(0x7E0000),
        SRecord('9', 0x10, {}), InfoRecord(1, {21, 6, 1, 3}), InfoRecord(2, {0, 1, 1, 2, 3}), InfoRecord(3, {4}),
        InfoRecord(4, {0x8002, 0, 0, 0}), PlugRecord(0x101, 0x7E0010, 6), MarkerRecord(0x7E0000, 16, 1),
        SRecord('0', 0, {'h', 'd', 'r'})};
    std::mt19937 random(20020102);
    unsigned failures = 0;
    for (int i = 0; i < 6000; ++i) {
        const std::string line = Mutate(seeds[i % seeds.size()], random);
        meru::FirmwareImage image;
        meru::PlugRecordList plugs;
        meru::ImageInfo info;
        const uintmax_t before = LogSize(log);
        // Exact-size heap copy: any read past the end trips the address sanitizer.
        std::vector<char> text(line.begin(), line.end());
        text.push_back('\0');
        if (info.ParseLine(&image, &plugs, text.data(), 1) == 0) {
            ++failures;
            EXPECT_GT(LogSize(log), before) << "silent failure: " << line;
        }
    }
    EXPECT_GT(failures, 3000u);
}

TEST(MalformedInput, DamagedPdaTextsAreReadOrRejected) {
    testsupport::LogCapture log;
    const std::vector<std::string> seeds = {"0x0005, 0x0008, 0x8002, 1, 0, 0\n2 2 7 ; remark\n1 8\n",
                                            "; header\n0004 0101 1100 3322 5544\n2 0 0x1234"};
    std::mt19937 random(5150);
    for (int i = 0; i < 4000; ++i) {
        const std::string text = Mutate(seeds[i % seeds.size()], random);
        std::vector<uint16_t> words(meru::Pda::kMaxWords + 1, 0xEEEE);
        const uint16_t count = meru::ParsePdaText(text, words.data());
        ASSERT_LE(count, meru::Pda::kMaxWords);
        EXPECT_EQ(words[meru::Pda::kMaxWords], 0xEEEE);
        if (count == 0) continue;
        // What is accepted is a chain of complete records that a Pda takes.
        meru::Pda pda;
        pda.ParseWords(words.data(), count);
        uint16_t out[meru::Pda::kMaxSerializedWords];
        EXPECT_GE(pda.Serialize(out, meru::Pda::kMaxSerializedWords), 3);
    }
}

}  // namespace
