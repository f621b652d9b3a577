// The request protocol of the software card: lengths, request types, the
// download session and the aux port.
#include <gtest/gtest.h>

#include "CardRequests.h"

namespace {

using namespace sim;
using simtest::AuxBuffer;
using simtest::Command;
using simtest::Download;

SoftwareCard FreshCard(uint16_t macType = 2) { return SoftwareCard::Factory(macType, 0x0101); }

TEST(CardRequests, UnknownOidsAndWrongRequestTypesAreRefused) {
    SoftwareCard card = FreshCard();
    EXPECT_EQ(Command(card, 0xFF010199), kStatusInvalidOid);
    EXPECT_EQ(card.HandleRequest(kQuery, 0x00010101, nullptr, 0), kStatusInvalidOid);
    EXPECT_EQ(card.HandleRequest(kQuery, kOidEnableAux, nullptr, 0), kStatusNotSupported);
    uint8_t mac[6] = {};
    EXPECT_EQ(card.HandleRequest(kSet, kOidPermanentAddress, mac, 6), kStatusNotSupported);
    EXPECT_EQ(card.HandleRequest(kQuery, kOidPermanentAddress, nullptr, 6), kStatusInvalidData);
}

TEST(CardRequests, FixedSizeQueriesNeedTheirExactLengthAndStayInsideTheBuffer) {
    SoftwareCard card = FreshCard();
    struct Case {
        uint32_t oid;
        uint32_t size;
    };
    for (const Case& c : {Case{kOidPermanentAddress, 6}, Case{kOidVendorDriverVersion, 4},
                          Case{kOidVendorDescription, 260}, Case{kOidDriverCheck, 8}, Case{kOidReadRid, 504}}) {
        std::vector<uint8_t> buffer(c.size + 8, 0xA5);
        buffer[2] = 0x02;  // a RID read asks for 0xFD02
        buffer[3] = 0xFD;
        EXPECT_EQ(card.HandleRequest(kQuery, c.oid, buffer.data(), c.size - 1), kStatusBufferTooShort) << std::hex << c.oid;
        EXPECT_EQ(card.HandleRequest(kQuery, c.oid, buffer.data(), c.size + 1), kStatusInvalidLength) << std::hex << c.oid;
        EXPECT_EQ(card.HandleRequest(kQuery, c.oid, buffer.data(), c.size), kStatusSuccess) << std::hex << c.oid;
        for (size_t i = c.size; i < buffer.size(); ++i) ASSERT_EQ(buffer[i], 0xA5) << std::hex << c.oid;
    }
}

TEST(CardRequests, StandardQueriesAnswerFromTheCardState) {
    SoftwareCard card = FreshCard();
    card.State().permanentAddress = {0x00, 0x60, 0x1D, 0xAA, 0xBB, 0xCC};
    card.State().driverVersion = 0x00070214;
    card.State().vendorDescription = std::string(300, 'V');
    uint8_t mac[6] = {};
    ASSERT_EQ(card.HandleRequest(kQuery, kOidPermanentAddress, mac, 6), kStatusSuccess);
    EXPECT_EQ(mac[3], 0xAA);
    EXPECT_EQ(mac[5], 0xCC);
    uint8_t version[4] = {};
    ASSERT_EQ(card.HandleRequest(kQuery, kOidVendorDriverVersion, version, 4), kStatusSuccess);
    EXPECT_EQ(version[0] | version[1] << 8 | version[2] << 16 | version[3] << 24, 0x00070214);
    char description[260];
    std::memset(description, 'x', sizeof description);
    ASSERT_EQ(card.HandleRequest(kQuery, kOidVendorDescription, description, 260), kStatusSuccess);
    EXPECT_EQ(std::string(description), std::string(259, 'V')) << "cut to fit with its terminator";
}

TEST(CardRequests, CommandRequestsCarryNoBuffer) {
    SoftwareCard card = FreshCard();
    uint8_t byte = 0;
    for (uint32_t oid : {kOidEnableAux, kOidBlockProtocols, kOidUnblockProtocols, kOidConclude}) {
        EXPECT_EQ(card.HandleRequest(kSet, oid, &byte, 1), kStatusInvalidLength);
        EXPECT_EQ(Command(card, oid), kStatusSuccess);
    }
}

TEST(CardRequests, RecordReadFillsLengthAndDataOrLeavesTheLengthZero) {
    SoftwareCard card = FreshCard();
    std::vector<uint16_t> words;
    ASSERT_EQ(simtest::ReadRid(card, kRidMacIdentity, words), kStatusSuccess);
    ASSERT_EQ(words.size(), 6u);
    EXPECT_EQ(words[0], 5) << "RID + four data words";
    EXPECT_EQ(words[1], kRidMacIdentity);
    EXPECT_EQ(words[4], 2) << "word 2 is the MAC type";
    EXPECT_EQ(simtest::ReadRid(card, 0xFD99, words), kStatusFailure);
    EXPECT_EQ(words, std::vector<uint16_t>{0}) << "length word untouched";
}

TEST(DownloadSession, DataDownloadsNeedAuxBlockedProtocolsAndBothPreparationSteps) {
    SoftwareCard card = FreshCard();
    const std::vector<uint8_t> block = {1, 2, 3, 4};
    EXPECT_EQ(Download(card, 0x100000, block), kStatusFailure) << "aux not enabled";
    Command(card, kOidEnableAux);
    EXPECT_EQ(Download(card, 0x100000, block), kStatusFailure) << "protocols running";
    Command(card, kOidBlockProtocols);
    EXPECT_EQ(Download(card, 0x100000, block), kStatusFailure) << "not prepared";
    EXPECT_EQ(simtest::PreparationWrite(card, 0x7FDE66), kStatusFailure) << "preparation write before the zero download";
    EXPECT_EQ(Download(card, 0, {}), kStatusSuccess);
    EXPECT_EQ(Download(card, 0x100000, block), kStatusFailure) << "half prepared";
    EXPECT_EQ(simtest::PreparationWrite(card, 0x1FEE66), kStatusInvalidData) << "the MX100's address on an MX200";
    EXPECT_EQ(simtest::PreparationWrite(card, 0x7FDE66), kStatusSuccess);
    EXPECT_EQ(simtest::ReadBack(card, 0x100000, 4), std::vector<uint8_t>(4, 0xFF)) << "the preparation writes no data";
    EXPECT_EQ(Download(card, 0x100000, block), kStatusSuccess);
    EXPECT_EQ(simtest::ReadBack(card, 0x100000, 4), block);
}

TEST(DownloadSession, PreparingBeforeBlockingAsThePdaWriteDoesIsAccepted) {
    SoftwareCard card = FreshCard();
    ASSERT_EQ(simtest::Prepare(card), kStatusSuccess);
    Command(card, kOidBlockProtocols);
    Command(card, kOidEnableAux);
    EXPECT_EQ(Download(card, 0x7F0000, {0x02, 0x00}), kStatusSuccess);
}

TEST(DownloadSession, ADownloadIsRefusedWhenOnlyTheBlockingIsMissing) {
    SoftwareCard card = FreshCard();
    ASSERT_EQ(simtest::Prepare(card), kStatusSuccess);  // aux on and both preparation steps, protocols running
    EXPECT_EQ(Download(card, 0x100000, {1, 2}), kStatusFailure);
    EXPECT_EQ(simtest::ReadBack(card, 0x100000, 2), std::vector<uint8_t>(2, 0xFF));
    Command(card, kOidBlockProtocols);
    EXPECT_EQ(Download(card, 0x100000, {1, 2}), kStatusSuccess);
}

TEST(DownloadSession, UnblockAndConcludeEndTheSession) {
    for (uint32_t ending : {kOidUnblockProtocols, kOidConclude}) {
        SoftwareCard card = FreshCard();
        simtest::StartSession(card);
        ASSERT_EQ(Download(card, 0x100000, {1}), kStatusSuccess);
        Command(card, ending);
        Command(card, kOidBlockProtocols);
        Command(card, kOidEnableAux);
        EXPECT_EQ(Download(card, 0x100000, {2}), kStatusFailure) << std::hex << ending;
        simtest::Prepare(card);
        EXPECT_EQ(Download(card, 0x100000, {2}), kStatusSuccess) << std::hex << ending;
    }
}

TEST(DownloadSession, OversizedBoundaryCrossingAndMisdeclaredBlocksAreRefused) {
    SoftwareCard card = FreshCard();
    simtest::StartSession(card);
    EXPECT_EQ(Download(card, 0x100000, std::vector<uint8_t>(2043, 7)), kStatusInvalidLength);
    EXPECT_EQ(Download(card, 0x10FFF0, std::vector<uint8_t>(17, 7)), kStatusInvalidData) << "crosses 0x110000";
    EXPECT_EQ(Download(card, 0x10FFF0, std::vector<uint8_t>(16, 7)), kStatusSuccess) << "ends at the boundary";
    EXPECT_EQ(Download(card, 0x7FFFF0, std::vector<uint8_t>(16, 7)), kStatusSuccess) << "last bytes of 8 MiB";
    EXPECT_EQ(Download(card, 0x800000, {7}), kStatusInvalidData) << "beyond the flash";
    EXPECT_EQ(Download(card, 0x80100000, {7}), kStatusInvalidData) << "bit 31 is no download address";
    AuxBuffer record(0x100000, 10, std::vector<uint8_t>(10, 9));
    EXPECT_EQ(card.HandleRequest(kSet, kOidDownload, record.bytes.data(), 15), kStatusInvalidLength);
    EXPECT_EQ(card.HandleRequest(kSet, kOidDownload, record.bytes.data(), 4), kStatusBufferTooShort);
    EXPECT_EQ(simtest::ReadBack(card, 0x100000, 10), std::vector<uint8_t>(10, 0xFF)) << "nothing written";
    EXPECT_EQ(Download(card, 0x2000, {}), kStatusSuccess) << "an empty block elsewhere writes nothing";
    EXPECT_EQ(card.State().session.preparationStep, 2);
}

TEST(AuxPort, ReadsDeliverExactlyTheCountAndNothingBeyond) {
    SoftwareCard card = FreshCard();
    Command(card, kOidEnableAux);
    for (uint32_t count : {0u, 1u, 2u, 1024u, 2042u}) {
        AuxBuffer record(0x7F0000, count);
        ASSERT_EQ(card.HandleRequest(kQuery, kOidAuxRead, record.bytes.data(), record.length), kStatusSuccess);
        EXPECT_TRUE(record.GuardIntact()) << count;
    }
    AuxBuffer tooLong(0x7F0000, 2043);
    EXPECT_EQ(card.HandleRequest(kQuery, kOidAuxRead, tooLong.bytes.data(), tooLong.length), kStatusInvalidLength);
    AuxBuffer misdeclared(0x7F0000, 100);
    EXPECT_EQ(card.HandleRequest(kQuery, kOidAuxRead, misdeclared.bytes.data(), 2048), kStatusInvalidLength);
    EXPECT_EQ(misdeclared.bytes[6], 0xDE);
    EXPECT_EQ(misdeclared.bytes[7], 0xAD);
}

TEST(AuxPort, AFailedReadLeavesTheMarkerAndBit31IsAFlag) {
    SoftwareCard card = FreshCard();
    AuxBuffer record(0x7F0000, 16);
    EXPECT_EQ(card.HandleRequest(kQuery, kOidAuxRead, record.bytes.data(), record.length), kStatusFailure)
        << "aux not enabled";
    EXPECT_EQ(record.bytes[6], 0xDE);
    EXPECT_EQ(record.bytes[7], 0xAD);
    Command(card, kOidConclude);
    std::vector<uint8_t> plain, flagged, outside;
    ASSERT_EQ(simtest::AuxRead(card, 0x7F0000, 16, plain), kStatusSuccess);
    ASSERT_EQ(simtest::AuxRead(card, 0x807F0000, 16, flagged), kStatusSuccess);
    EXPECT_EQ(plain, flagged);
    EXPECT_EQ(plain[1], 0x00) << "a PDA length word";
    EXPECT_EQ(simtest::AuxRead(card, 0x7FFFFF, 2, outside), kStatusInvalidData) << "runs past 8 MiB";
}

TEST(TrafficCounters, CountRequestsFailuresAndBytesPerOidUntilReset) {
    SoftwareCard card = FreshCard();
    simtest::StartSession(card);
    Download(card, 0x100000, std::vector<uint8_t>(100, 1));
    Download(card, 0x10FFFF, std::vector<uint8_t>(2, 1));
    Command(card, 0x12345678);
    const OidTraffic downloads = card.Counters().For(kOidDownload);
    EXPECT_EQ(downloads.requests, 3u) << "the preparation step counts too";
    EXPECT_EQ(downloads.failures, 1u);
    EXPECT_EQ(downloads.bytes, 6u + 106u + 8u);
    EXPECT_EQ(card.Counters().For(kOidAuxWrite).requests, 1u);
    EXPECT_EQ(card.Counters().For(0x12345678).failures, 1u);
    card.ResetCounters();
    EXPECT_EQ(card.Counters().TotalRequests(), 0u);
    EXPECT_EQ(simtest::ReadBack(card, 0x100000, 1), std::vector<uint8_t>{1}) << "resetting keeps the flash";
}

}  // namespace
