// What a card reports about itself: factory PDA and CIS, identities and file
// names from flash, and the MX100's address decoding.
#include <gtest/gtest.h>

#include <string>

#include "CardRequests.h"
#include "sim/CardLayout.h"
#include "sim/Crc16Arc.h"
#include "sim/FlashIdentity.h"
#include "sim/PdaArea.h"

namespace {

using namespace sim;
using simtest::RidData;

std::vector<uint16_t> Words(const std::vector<uint8_t>& bytes) {
    std::vector<uint16_t> words;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) words.push_back(static_cast<uint16_t>(bytes[i] | bytes[i + 1] << 8));
    return words;
}

// The text of the file-name record as the updater cuts it: 2 x length - 4 bytes.
std::string FileNamesText(SoftwareCard& card) {
    std::vector<uint16_t> words;
    if (simtest::ReadRid(card, kRidFirmwareFileNames, words) != 0) return "<failed>";
    std::string text;
    for (size_t i = 2; i < words.size(); ++i) {
        text += static_cast<char>(words[i] & 0xFF);
        text += static_cast<char>(words[i] >> 8);
    }
    text.resize(2u * words[0] - 4);
    return text.substr(0, text.find('\0'));
}

// Plants an image header: identity block and file name, as a download would.
void ProgramImageHeader(SoftwareCard& card, uint32_t base, const IdentityBlock& block, const std::string& name) {
    simtest::StartSession(card);
    const auto identity = EncodeIdentityBlock(block);
    ASSERT_EQ(simtest::Download(card, base + 0x40, {identity.begin(), identity.end()}), kStatusSuccess);
    std::vector<uint8_t> area(20, 0);
    std::copy(name.begin(), name.end(), area.begin());
    ASSERT_EQ(simtest::Download(card, base + 0x60, area), kStatusSuccess);
}

TEST(Crc16Arc, MatchesTheReferenceValues) {
    const uint16_t digits[] = {0x3231, 0x3433, 0x3635, 0x3837};  // "12345678"
    EXPECT_EQ(Crc16ArcOfWords(digits, 4), 0x3C9D);
    const uint16_t endHeader[] = {0x0002, 0x0000};
    EXPECT_EQ(Crc16ArcOfWords(endHeader, 2), 0xB801);
    EXPECT_EQ(Crc16ArcOfWords(digits + 2, 2, Crc16ArcOfWords(digits, 2)), 0x3C9D) << "continues a running value";
}

TEST(FactoryCard, PdaReadThroughTheAuxPortHasTheRecordsAndAGoodCheckValue) {
    for (uint16_t macType : {1, 2}) {
        SoftwareCard card = SoftwareCard::Factory(macType, 0x0123);
        std::vector<uint8_t> bytes;
        const uint32_t pdaAddress = card.Layout().pdaAddress;
        ASSERT_EQ(simtest::AuxRead(card, StorageAddress(macType, pdaAddress), 1024, bytes), kStatusSuccess);
        const std::vector<uint16_t> words = Words(bytes);
        const PdaLayout pda = WalkPda(words);
        ASSERT_TRUE(pda.endIndex.has_value());
        // An independent check: the CRC over everything before the end record and its header.
        std::vector<uint16_t> covered(words.begin(), words.begin() + static_cast<long>(*pda.endIndex));
        covered.insert(covered.end(), {2, 0});
        EXPECT_EQ(words[*pda.endIndex + 2], Crc16ArcOfWords(covered.data(), covered.size()));
        std::map<uint16_t, uint16_t> lengths;
        uint16_t previous = 0;
        for (const PdaRecordSpan& record : pda.records) {
            EXPECT_GT(record.code, previous) << "ascending codes";
            previous = record.code;
            lengths[record.code] = record.length;
        }
        EXPECT_GT(lengths[0x0001], 2);
        EXPECT_EQ(lengths[0x0002], 2);
        EXPECT_EQ(lengths[0x0003], 7);
        EXPECT_EQ(lengths[0x0008], 5);
        EXPECT_EQ(lengths[0x0101], 4);
        EXPECT_EQ(lengths[0x0103], 7);
        EXPECT_EQ(lengths[0x0900], 31);
        EXPECT_EQ(lengths[0x0901], 34);
        EXPECT_EQ(PdaFirstDataWord(words, 0x0008), 0x0123);
        uint8_t mac[6];
        card.HandleRequest(kQuery, kOidPermanentAddress, mac, 6);
        EXPECT_EQ(PdaFirstDataWord(words, 0x0101), mac[0] | mac[1] << 8) << "PDA and driver agree on the MAC";
    }
}

TEST(FactoryCard, CisStartsWithItsDeviceTupleAndAPdaCanBeLeftWithoutPlatform) {
    SoftwareCard card = SoftwareCard::Factory(2, 0x0101);
    const std::vector<uint8_t> cis = simtest::ReadBack(card, 0x7EFE00, 512);
    EXPECT_EQ(cis[0], 0x01);
    EXPECT_EQ(cis[2 + cis[1]], 0x15) << "then the version strings";
    FactoryOptions options;
    options.platformRecord = false;
    SoftwareCard bare = SoftwareCard::Factory(2, 0x0101, options);
    const std::vector<uint16_t> words = ReadPdaWords(bare.State());
    EXPECT_FALSE(PdaFirstDataWord(words, 0x0008).has_value());
    EXPECT_TRUE(WalkPda(words).CrcMatches());
}

TEST(FlashIdentity, RecordsComeFromTheFactoryUntilAnImageAnnouncesItself) {
    SoftwareCard card = SoftwareCard::Factory(2, 0x0101);
    EXPECT_EQ(RidData(card, kRidPrimaryIdentity), (std::vector<uint16_t>{21, 1, 1, 1}));
    EXPECT_EQ(RidData(card, kRidStationIdentity), (std::vector<uint16_t>{31, 1, 1, 3}));
    EXPECT_EQ(RidData(card, kRidPrimarySupplierRange), (std::vector<uint16_t>{0, 3, 1, 1, 2}));
    EXPECT_EQ(FileNamesText(card), "PK010101.HEX SK010301.HEX");

    ProgramImageHeader(card, 0x100000, {31, 2, 1, 7, 4, 1, 2, 3}, "SK010702.HEX");
    EXPECT_EQ(RidData(card, kRidStationIdentity), (std::vector<uint16_t>{31, 2, 1, 7}));
    EXPECT_EQ(RidData(card, kRidStationSupplierRange), (std::vector<uint16_t>{0, 4, 1, 2, 3}));
    EXPECT_EQ(RidData(card, kRidPrimaryIdentity), (std::vector<uint16_t>{21, 1, 1, 1})) << "primary untouched";
    EXPECT_EQ(FileNamesText(card), "PK010101.HEX SK010702.HEX");
}

TEST(FlashIdentity, ABlankNameAreaKeepsTheFactoryNameAndTheLengthWordFitsTheText) {
    SoftwareCard card = SoftwareCard::Factory(2, 0x0101);
    const IdentityBlock primary{21, 0, 2, 0, 3, 0, 0, 0};
    ProgramImageHeader(card, 0x7E0000, primary, "");
    EXPECT_EQ(RidData(card, kRidPrimaryIdentity)[2], 2);
    EXPECT_EQ(FileNamesText(card), "PK010101.HEX SK010301.HEX");
    std::vector<uint16_t> words;
    simtest::ReadRid(card, kRidFirmwareFileNames, words);
    EXPECT_EQ(words[0], (25 + 4 + 1) / 2) << "(text bytes + 4) / 2 rounded up";
    ProgramImageHeader(card, 0x7E0000, primary, "P1");
    simtest::ReadRid(card, kRidFirmwareFileNames, words);
    EXPECT_EQ(words[0], 10) << "15 text bytes";
    EXPECT_EQ(FileNamesText(card), "P1 SK010301.HEX");
}

TEST(MacType1, DownloadsIgnoreAddressBits17And18AndReadsNamingThemSeeErasedBytes) {
    SoftwareCard card = SoftwareCard::Factory(1, 0x0101);
    EXPECT_EQ(RidData(card, kRidMacIdentity)[2], 1);
    simtest::StartSession(card);
    EXPECT_EQ(card.State().session.preparationStep, 2) << "preparation at 0x1FEE66";
    const std::vector<uint8_t> block = {0xCA, 0xFE};
    const std::vector<uint8_t> erased = {0xFF, 0xFF};
    ASSERT_EQ(simtest::Download(card, 0x3E0100, block), kStatusSuccess) << "downloads arrive unmasked";
    struct Read {
        uint32_t address;
        std::vector<uint8_t> expected;
        const char* why;
    };
    for (const Read& read : {Read{0x380100, block, "the updater reads it back masked"},
                             Read{0x80380100, block, "bit 31 is only a flag"},
                             Read{0x3E0100, erased, "bits 17 and 18 set: the read does not reach the flash"},
                             Read{0x3A0100, erased, "bit 17 alone"}, Read{0x3C0100, erased, "bit 18 alone"},
                             Read{0x803E0100, erased, "bit 31 does not help"}}) {
        EXPECT_EQ(simtest::ReadBack(card, read.address, 2), read.expected)
            << std::hex << read.address << ": " << read.why;
    }
    ASSERT_EQ(simtest::Download(card, 0x11FFFE, {1, 2}), kStatusSuccess);
    EXPECT_EQ(simtest::ReadBack(card, 0x11FFFE, 4), (std::vector<uint8_t>{1, 2, 0xFF, 0xFF}))
        << "a read running into 0x120000 sees erased bytes from there on";
    EXPECT_EQ(simtest::Download(card, 0x400000, {1}), kStatusInvalidData) << "4 MiB card";
}

TEST(MacType1, TheFactoryPdaAndIdentityAreStoredAtTheirDecodedAddresses) {
    SoftwareCard card = SoftwareCard::Factory(1, 0x0101);
    EXPECT_TRUE(WalkPda(Words(simtest::ReadBack(card, 0x390000, 1024))).CrcMatches()) << "read masked";
    EXPECT_EQ(simtest::ReadBack(card, 0x3F0000, 16), std::vector<uint8_t>(16, 0xFF)) << "read unmasked";
    ProgramImageHeader(card, 0x3E0000, {21, 0, 4, 0, 3, 0, 0, 0}, "PM040000.HEX");
    EXPECT_EQ(RidData(card, kRidPrimaryIdentity)[2], 4);
    EXPECT_EQ(FileNamesText(card), "PM040000.HEX SK010301.HEX");
}

TEST(UnknownMacType, ReportsItsTypeAndStillAnswers) {
    SoftwareCard card = SoftwareCard::Factory(3, 0x0101);
    EXPECT_EQ(RidData(card, kRidMacIdentity)[2], 3);
    EXPECT_FALSE(card.Layout().known);
    EXPECT_FALSE(RidData(card, kRidPrimaryIdentity).empty());
}

}  // namespace
