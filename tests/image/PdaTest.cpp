#include "image/Pda.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/LogCapture.h"

namespace {

using meru::Pda;

// Bit-at-a-time CRC-16/ARC, independent of the table the library uses.
uint16_t ReferenceCrc(const std::vector<uint16_t>& words) {
    uint16_t crc = 0;
    for (uint16_t word : words) {
        for (uint8_t byte : {static_cast<uint8_t>(word & 0xFF), static_cast<uint8_t>(word >> 8)}) {
            crc ^= byte;
            for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0xA001) : crc >> 1;
        }
    }
    return crc;
}

// Records followed by an end record carrying their CRC, as a card holds them.
std::vector<uint16_t> CardStream(const std::vector<std::vector<uint16_t>>& records) {
    std::vector<uint16_t> words;
    for (const auto& record : records) words.insert(words.end(), record.begin(), record.end());
    words.push_back(2);
    words.push_back(0);
    words.push_back(ReferenceCrc(words));
    return words;
}

std::vector<uint16_t> Codes(const Pda& pda) {
    std::vector<uint16_t> codes;
    for (const auto& record : pda.Records()) codes.push_back(record[1]);
    return codes;
}

uint16_t Parse(Pda& pda, const std::vector<uint16_t>& words) {
    return pda.ParseWords(words.data(), static_cast<uint16_t>(words.size()));
}

TEST(Crc16Arc, MatchesTheCheckValueAndTheBitwiseForm) {
    const char* check = "123456789";
    EXPECT_EQ(meru::Crc16ArcBytes(reinterpret_cast<const uint8_t*>(check), 9), 0xBB3D);
    std::vector<uint16_t> words;
    for (unsigned i = 0; i < 300; ++i) words.push_back(static_cast<uint16_t>(i * 40503u + 17));
    EXPECT_EQ(meru::Crc16ArcWords(words.data(), words.size()), ReferenceCrc(words));
    // Continuing from a previous value is the same as one pass.
    const uint16_t half = meru::Crc16ArcWords(words.data(), 150);
    EXPECT_EQ(meru::Crc16ArcWords(words.data() + 150, 150, half), ReferenceCrc(words));
}

TEST(PdaParse, AnEndRecordAloneIsOneRecordAndSetsTheStoredCrc) {
    Pda pda;
    EXPECT_FALSE(pda.SawEndRecord());
    EXPECT_EQ(Parse(pda, {0x0002, 0x0000, 0x1234}), 1);
    EXPECT_TRUE(pda.Empty());
    EXPECT_EQ(pda.StoredCrc(), 0x1234);
    EXPECT_TRUE(pda.SawEndRecord());
    pda.Clear();
    EXPECT_FALSE(pda.SawEndRecord());
    EXPECT_EQ(pda.StoredCrc(), 0);
}

TEST(PdaParse, ACardStreamChecksOutAndStopsAtTheEndRecord) {
    Pda pda;
    auto words = CardStream({{2, 0x0001, 0x4241}, {5, 0x0008, 0x8002, 1, 2, 3}, {4, 0x0101, 0x1100, 0x3322, 0x5544}});
    words.insert(words.end(), {3, 0x0102, 9, 9});  // after the end record: never read
    words.resize(512, 0xFFFF);
    EXPECT_EQ(Parse(pda, words), 4);
    EXPECT_EQ(Codes(pda), (std::vector<uint16_t>{0x0001, 0x0008, 0x0101}));
    EXPECT_EQ(pda.ReadCrc(), pda.StoredCrc());
    EXPECT_EQ(pda.ListCrc(), pda.StoredCrc());
}

TEST(PdaParse, RecordsReachingPastTheCountAreNotTaken) {
    Pda pda;
    const std::vector<uint16_t> words{2, 0x0008, 0x8000, 4, 0x0101, 1, 2};
    EXPECT_EQ(pda.ParseWords(words.data(), 7), 1);
    EXPECT_EQ(Codes(pda), std::vector<uint16_t>{8});
    EXPECT_EQ(pda.ParseWords(words.data(), 2), 0);
    // Without an end record the stored CRC keeps its value.
    EXPECT_EQ(pda.StoredCrc(), 0);
}

TEST(PdaParse, LengthOneDeletesAndZeroLengthWordsAreStepsOver) {
    Pda pda;
    EXPECT_EQ(Parse(pda, {2, 0x0008, 0x8000, 2, 0x0002, 7, 1, 0x0008}), 3);
    EXPECT_EQ(Codes(pda), std::vector<uint16_t>{2});
    EXPECT_EQ(Parse(pda, {0, 0, 2, 0x0009, 5, 0}), 1);
    EXPECT_EQ(Codes(pda), (std::vector<uint16_t>{2, 9}));
    EXPECT_EQ(Parse(pda, {0}), 0);
}

TEST(PdaRecords, AddKeepsCodesSortedAndReportsWhereTheRecordWent) {
    Pda pda;
    const uint16_t serial[] = {7, 0x0003, 1, 2, 3, 4, 5, 6};
    const uint16_t platform[] = {5, 0x0008, 0x8002, 0, 0, 0};
    const uint16_t mac[] = {4, 0x0101, 1, 2, 3};
    const uint16_t name[] = {3, 0x0001, 0x4241, 0};
    const uint16_t newMac[] = {4, 0x0101, 9, 9, 9};
    EXPECT_EQ(pda.AddRecord(platform), 1);
    EXPECT_EQ(pda.AddRecord(mac), 2);
    EXPECT_EQ(pda.AddRecord(serial), 1);
    EXPECT_EQ(pda.AddRecord(name), 1);
    EXPECT_EQ(pda.AddRecord(newMac), 0);
    EXPECT_EQ(Codes(pda), (std::vector<uint16_t>{1, 3, 8, 0x101}));
    EXPECT_EQ(pda.Find(0x0101)[2], 9);
    EXPECT_EQ(pda.Find(0x0003)[0], 7);
    EXPECT_EQ(pda.Find(0x0004), nullptr);

    const uint16_t end[] = {2, 0x0000, 0xABCD};
    EXPECT_EQ(pda.AddRecord(end), 1);
    EXPECT_EQ(pda.StoredCrc(), 0xABCD);
    EXPECT_EQ(pda.RecordCount(), 4u);
    const uint16_t empty[] = {0};
    EXPECT_EQ(pda.AddRecord(empty), Pda::kRecordRefused);
    EXPECT_EQ(pda.RecordCount(), 4u);
}

TEST(PdaRecords, RemoveReturnsTheCodeOnlyWhenARecordWent) {
    Pda pda;
    Parse(pda, {2, 0x0008, 1, 2, 0x0002, 1});
    EXPECT_EQ(pda.RemoveRecord(0x0008), 0x0008);
    EXPECT_EQ(pda.RemoveRecord(0x0008), 0);
    EXPECT_EQ(Codes(pda), std::vector<uint16_t>{2});
}

TEST(PdaCrc, ReadCrcFollowsArrivalOrderAndListCrcTheList) {
    Pda pda;
    Parse(pda, {2, 0x0008, 1, 2, 0x0002, 1});
    const uint16_t asRead = pda.ReadCrc();
    EXPECT_EQ(asRead, ReferenceCrc({2, 0x0008, 1, 2, 0x0002, 1, 2, 0}));
    EXPECT_EQ(pda.ListCrc(), ReferenceCrc({2, 0x0002, 1, 2, 0x0008, 1, 2, 0}));
    pda.RemoveRecord(0x0002);
    EXPECT_EQ(pda.ReadCrc(), asRead);  // removal does not touch the running CRC
    pda.RemoveRecord(0x0008);
    Parse(pda, {2, 0x0005, 3});
    EXPECT_EQ(pda.ReadCrc(), ReferenceCrc({2, 0x0005, 3, 2, 0}));  // restarted on the empty list
    pda.Clear();
    EXPECT_EQ(pda.ListCrc(), meru::Crc16ArcBytes(std::vector<uint8_t>{2, 0, 0, 0}.data(), 4));
    EXPECT_EQ(pda.StoredCrc(), 0);
}

TEST(PdaSerialize, WritesRecordsAndAnEndRecordThatParsesBack) {
    Pda pda;
    Parse(pda, {2, 0x0101, 0x2211, 3, 0x0003, 0x3041, 0x3042});
    uint16_t out[Pda::kMaxSerializedWords];
    const uint16_t written = pda.Serialize(out, Pda::kMaxSerializedWords);
    ASSERT_EQ(written, 10);
    const std::vector<uint16_t> words(out, out + written);
    EXPECT_EQ(words, (std::vector<uint16_t>{3, 0x0003, 0x3041, 0x3042, 2, 0x0101, 0x2211, 2, 0, pda.ListCrc()}));
    Pda back;
    EXPECT_EQ(back.ParseWords(out, written), 3);
    EXPECT_EQ(back.ReadCrc(), back.StoredCrc());
    EXPECT_EQ(Codes(back), Codes(pda));
}

// Records of `sizes` words each (length word included), codes 1, 2, ...
Pda PdaOfSizes(const std::vector<uint16_t>& sizes) {
    Pda pda;
    uint16_t code = 1;
    for (uint16_t size : sizes) {
        std::vector<uint16_t> record(size, 0x5A5A);
        record[0] = static_cast<uint16_t>(size - 1);
        record[1] = code++;
        pda.AddRecord(record.data());
    }
    return pda;
}

// The end record must fit inside the card's 512-word area too: a list one
// word longer would put its check value past the area.
TEST(PdaSerialize, RecordsOverTheAreaOverflowWithoutWritingPastTheOutput) {
    testsupport::LogCapture log;
    std::vector<uint16_t> out(520, 0xEEEE);
    Pda fits = PdaOfSizes({200, 309});
    EXPECT_EQ(fits.Serialize(out.data(), out.size()), 512);
    EXPECT_EQ(out[512], 0xEEEE);
    EXPECT_EQ(log.Text(), "");

    std::fill(out.begin(), out.end(), 0xEEEE);
    Pda full = PdaOfSizes({200, 310});
    EXPECT_EQ(full.Serialize(out.data(), out.size()), 0);
    Pda longLast = PdaOfSizes({500, 3000});  // one long record runs far past 512
    EXPECT_EQ(longLast.Serialize(out.data(), out.size()), 0);
    EXPECT_EQ(log.Text(), "PDA OVERFLOW. PDA EXCEEDS 512 WORD LIMIT.\nPDA OVERFLOW. PDA EXCEEDS 512 WORD LIMIT.\n");
    for (uint16_t word : out) EXPECT_EQ(word, 0xEEEE);
}

TEST(PdaSerialize, ASmallOutputIsRefusedBeforeAnyCopy) {
    testsupport::LogCapture log;
    Pda pda = PdaOfSizes({3, 4});
    std::vector<uint16_t> exact(10);
    EXPECT_EQ(pda.Serialize(exact.data(), exact.size()), 10);
    std::vector<uint16_t> small(9, 0xEEEE);
    EXPECT_EQ(pda.Serialize(small.data(), small.size()), 0);
    for (uint16_t word : small) EXPECT_EQ(word, 0xEEEE);
    EXPECT_EQ(Pda().Serialize(small.data(), 3), 3);
    EXPECT_EQ(Pda().Serialize(small.data(), 2), 0);
    EXPECT_NE(log.Text(), "");
}

}  // namespace
