// Faults on demand: refused requests, failing, corrupting and partial
// downloads, refused and flaky reads, a card that loses power, an old
// driver, missing records and a production data area that reads badly.
#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "CardRequests.h"
#include "sim/PdaArea.h"
#include "sim/TextNumbers.h"

namespace {

using namespace sim;
using simtest::Command;

SoftwareCard CardWith(const std::string& fault) {
    SoftwareCard card = SoftwareCard::Factory(2, 0x0101);
    std::string error;
    EXPECT_TRUE(card.AddFault(fault, error)) << error;
    return card;
}

TEST(OidFaults, AlwaysOnceAndNthRefuseWithTheChosenStatus) {
    SoftwareCard always = CardWith("refuse 0xFF010184 always status 0xC0010015");
    EXPECT_EQ(Command(always, kOidEnableAux), 0xC0010015u);
    EXPECT_EQ(Command(always, kOidEnableAux), 0xC0010015u);
    EXPECT_FALSE(always.State().session.auxEnabled) << "a refused request has no effect";

    SoftwareCard once = CardWith("refuse 0xFF010187 once");
    EXPECT_EQ(Command(once, kOidBlockProtocols), kStatusFailure);
    EXPECT_EQ(Command(once, kOidBlockProtocols), kStatusSuccess);
    EXPECT_TRUE(once.State().faults.Empty()) << "spent";

    SoftwareCard third = CardWith("refuse 0xFF010181 nth 3 status 0xC0000002");
    std::vector<uint16_t> words;
    EXPECT_EQ(simtest::ReadRid(third, kRidPrimaryIdentity, words), kStatusSuccess);
    EXPECT_EQ(simtest::ReadRid(third, kRidPrimaryIdentity, words), kStatusSuccess);
    EXPECT_EQ(simtest::ReadRid(third, kRidPrimaryIdentity, words), 0xC0000002u);
    EXPECT_EQ(words, std::vector<uint16_t>{0});
    EXPECT_EQ(simtest::ReadRid(third, kRidPrimaryIdentity, words), kStatusSuccess);
    EXPECT_EQ(third.Counters().For(kOidReadRid).failures, 1u);
}

TEST(OidFaults, ARefusedReadLeavesTheMarker) {
    SoftwareCard card = CardWith("refuse 0xFF010186 always");
    Command(card, kOidEnableAux);
    simtest::AuxBuffer record(0x7F0000, 1024);
    EXPECT_EQ(card.HandleRequest(kQuery, kOidAuxRead, record.bytes.data(), record.length), kStatusFailure);
    EXPECT_EQ(record.bytes[6], 0xDE);
    EXPECT_EQ(record.bytes[7], 0xAD);
}

TEST(DownloadFaults, FailOnceInARangeThenSucceed) {
    SoftwareCard card = CardWith("download-fail once range 0x101000 0x101FFF");
    simtest::StartSession(card);
    EXPECT_EQ(simtest::Download(card, 0x100000, {1}), kStatusSuccess) << "outside the range";
    EXPECT_EQ(simtest::Download(card, 0x100FFF, {2, 2}), kStatusFailure) << "touches the range";
    EXPECT_EQ(simtest::ReadBack(card, 0x100FFF, 2), std::vector<uint8_t>(2, 0xFF)) << "a failed block writes nothing";
    EXPECT_EQ(simtest::Download(card, 0x100FFF, {2, 2}), kStatusSuccess) << "the retry succeeds";
}

TEST(DownloadFaults, AlwaysFailingDownloadsSpareThePreparationStep) {
    SoftwareCard card = CardWith("download-fail always status 0xC0000009");
    simtest::StartSession(card);
    EXPECT_EQ(card.State().session.preparationStep, 2);
    EXPECT_EQ(simtest::Download(card, 0x100000, {1}), 0xC0000009u);
    EXPECT_EQ(simtest::Download(card, 0x200000, {1}), 0xC0000009u);
}

// Two downloads of {1, 2, 3, 4}, the second 16 bytes above the first: the
// card reports success for both, whatever it stores.
TEST(DownloadFaults, CorruptAndPartialDownloadsReportSuccessButStoreOtherBytes) {
    const std::vector<uint8_t> data = {1, 2, 3, 4};
    const std::vector<uint8_t> whole = data, changed = {1, 2, 0xFC, 4}, half = {1, 2, 0xFF, 0xFF};
    struct Case {
        const char* fault;
        uint16_t macType;
        uint32_t address;
        std::vector<uint8_t> first, second;  // what each download leaves in flash
    };
    for (const Case& c : {
             Case{"download-corrupt once", 2, 0x100000, changed, whole},
             Case{"download-corrupt always", 2, 0x100000, changed, changed},
             Case{"download-corrupt nth 2", 2, 0x100000, whole, changed},
             Case{"download-partial once", 2, 0x100000, half, whole},
             Case{"download-partial always range 0x100010 0x10001F", 2, 0x100000, whole, half},
             Case{"download-corrupt always range 0x100000 0x100000", 2, 0x100000, changed, whole},
             Case{"download-corrupt always range 0x3E0010 0x3E001F", 1, 0x380000, whole, changed},
         }) {
        SCOPED_TRACE(c.fault);
        SoftwareCard card = SoftwareCard::Factory(c.macType, 0x0101);
        std::string error;
        ASSERT_TRUE(card.AddFault(c.fault, error)) << error;
        simtest::StartSession(card);
        EXPECT_EQ(simtest::Download(card, c.address, data), kStatusSuccess);
        EXPECT_EQ(simtest::Download(card, c.address + 0x10, data), kStatusSuccess);
        EXPECT_EQ(simtest::ReadBack(card, c.address, 4), c.first);
        EXPECT_EQ(simtest::ReadBack(card, c.address + 0x10, 4), c.second);
        EXPECT_EQ(card.Counters().For(kOidDownload).failures, 0u);
    }
}

// Three reads of 16 bytes at the same address: their statuses.
TEST(ReadFaults, ReadsTouchingTheRangeAreRefusedAndLeaveTheMarker) {
    const uint32_t refused = kStatusFailure;
    struct Case {
        const char* fault;
        uint16_t macType;
        uint32_t address;
        std::vector<uint32_t> statuses;
    };
    for (const Case& c : {
             Case{"read-refuse always range 0x7F0000 0x7F03FF", 2, 0x7F03F8, {refused, refused, refused}},
             Case{"read-refuse once range 0x7F0000 0x7F03FF status 0xC0010015", 2, 0x7F0000, {0xC0010015, 0, 0}},
             Case{"read-refuse nth 2 range 0x7F0000 0x7F03FF", 2, 0x807F0000, {0, refused, 0}},
             Case{"read-refuse always range 0x7F0400 0x7F04FF", 2, 0x7F03F0, {0, 0, 0}},
             Case{"read-refuse always range 0x3F0000 0x3F03FF", 1, 0x390000, {refused, refused, refused}},
         }) {
        SCOPED_TRACE(c.fault);
        SoftwareCard card = SoftwareCard::Factory(c.macType, 0x0101);
        std::string error;
        ASSERT_TRUE(card.AddFault(c.fault, error)) << error;
        Command(card, kOidEnableAux);
        for (uint32_t expected : c.statuses) {
            simtest::AuxBuffer record(c.address, 16);
            EXPECT_EQ(card.HandleRequest(kQuery, kOidAuxRead, record.bytes.data(), record.length), expected);
            if (expected != 0) {
                EXPECT_EQ(record.Data()[0] << 8 | record.Data()[1], 0xDEAD) << "nothing delivered";
            }
            EXPECT_TRUE(record.GuardIntact());
        }
    }
}

TEST(PowerLoss, AfterTheNthStoredDownloadEveryRequestFailsUntilTheCardIsReinserted) {
    SoftwareCard card = CardWith("power-loss after 2");
    std::string error;
    ASSERT_TRUE(card.AddFault("download-fail once", error)) << error;
    simtest::StartSession(card);
    EXPECT_EQ(simtest::Download(card, 0x100000, {1}), kStatusFailure) << "a failed download does not count";
    EXPECT_EQ(simtest::Download(card, 0x100000, {1}), kStatusSuccess);
    EXPECT_EQ(simtest::Download(card, 0x100010, {2}), kStatusSuccess) << "stored, then the power goes";
    EXPECT_EQ(card.State().session, SessionState()) << "the session went with the power";

    uint8_t version[4] = {};
    simtest::AuxBuffer read(0x100000, 1);
    std::vector<uint16_t> words;
    struct Request {
        const char* name;
        std::function<uint32_t()> send;
    };
    for (const Request& request : {
             Request{"enable aux", [&] { return Command(card, kOidEnableAux); }},
             Request{"block protocols", [&] { return Command(card, kOidBlockProtocols); }},
             Request{"download", [&] { return simtest::Download(card, 0x100020, {3}); }},
             Request{"aux read",
                     [&] { return card.HandleRequest(kQuery, kOidAuxRead, read.bytes.data(), read.length); }},
             Request{"record", [&] { return simtest::ReadRid(card, kRidPrimaryIdentity, words); }},
             Request{"driver version", [&] { return card.HandleRequest(kQuery, kOidVendorDriverVersion, version, 4); }},
             Request{"unknown OID", [&] { return card.HandleRequest(kQuery, 0x12345678, nullptr, 0); }},
         }) {
        EXPECT_EQ(request.send(), kStatusAdapterRemoved) << request.name;
    }
    EXPECT_EQ(card.Counters().For(kOidEnableAux).failures, 1u) << "requests to a dead card are counted";
    EXPECT_EQ(read.Data(), std::vector<uint8_t>{0}) << "nothing delivered";

    card.Reinsert();
    EXPECT_TRUE(card.State().faults.Empty()) << "the power-loss rule is spent";
    EXPECT_EQ(simtest::Download(card, 0x100020, {3}), kStatusFailure) << "a fresh session is not prepared";
    EXPECT_EQ(simtest::ReadBack(card, 0x100000, 1), std::vector<uint8_t>{1});
    EXPECT_EQ(simtest::ReadBack(card, 0x100010, 1), std::vector<uint8_t>{2});
    EXPECT_EQ(simtest::ReadBack(card, 0x100020, 1), std::vector<uint8_t>{0xFF});

    SoftwareCard armed = CardWith("power-loss after 5 status 0xC0000001");
    armed.Reinsert();
    EXPECT_TRUE(armed.State().faults.powerLoss.has_value()) << "a rule that has not struck stays";
}

TEST(FlakyReads, DifferAtEveryReadInsideTheRangeOnly) {
    SoftwareCard card = CardWith("flaky-reads 0x7F0000 0x7F00FF");
    const std::vector<uint8_t> first = simtest::ReadBack(card, 0x7F0000, 256);
    const std::vector<uint8_t> second = simtest::ReadBack(card, 0x7F0000, 256);
    for (size_t i = 0; i < first.size(); ++i) ASSERT_NE(first[i], second[i]) << i;
    EXPECT_EQ(simtest::ReadBack(card, 0x7F0100, 16), simtest::ReadBack(card, 0x7F0100, 16));
    card.State().faults = FaultSet();
    const std::vector<uint8_t> stable = simtest::ReadBack(card, 0x7F0000, 256);
    EXPECT_NE(stable, first) << "the flash itself is unchanged";
    EXPECT_EQ(stable, simtest::ReadBack(card, 0x7F0000, 256));
}

TEST(DriverFaults, TooOldSetsBit31AndTheDriverCheckCanBeUnknown) {
    SoftwareCard card = CardWith("driver-too-old");
    std::string error;
    ASSERT_TRUE(card.AddFault("driver-check-invalid-oid", error)) << error;
    uint8_t version[4] = {};
    card.HandleRequest(kQuery, kOidVendorDriverVersion, version, 4);
    EXPECT_EQ(version[3] & 0x80, 0x80);
    EXPECT_EQ(version[0], card.State().driverVersion & 0xFF);
    uint8_t check[8] = {};
    EXPECT_EQ(card.HandleRequest(kQuery, kOidDriverCheck, check, 8), kStatusInvalidOid);
}

TEST(RecordFaults, AMissingRecordCannotBeRead) {
    SoftwareCard card = CardWith("rid-missing 0xFD20");
    EXPECT_TRUE(simtest::RidData(card, kRidStationIdentity).empty());
    EXPECT_FALSE(simtest::RidData(card, kRidPrimaryIdentity).empty());
}

TEST(PdaFaults, Bit31OnlyReadsGiveErasedBytesWithoutTheFlag) {
    SoftwareCard card = CardWith("pda-bit31-only");
    EXPECT_EQ(simtest::ReadBack(card, 0x7F0000, 1024), std::vector<uint8_t>(1024, 0xFF));
    const std::vector<uint8_t> flagged = simtest::ReadBack(card, 0x807F0000, 1024);
    EXPECT_NE(flagged, std::vector<uint8_t>(1024, 0xFF));
    EXPECT_NE(simtest::ReadBack(card, 0x7EFE00, 2), std::vector<uint8_t>(2, 0xFF)) << "the CIS reads normally";
}

TEST(PdaFaults, ABadCheckValueIsWrittenIntoFlash) {
    SoftwareCard card = SoftwareCard::Factory(1, 0x0101);
    ASSERT_TRUE(WalkPda(ReadPdaWords(card.State())).CrcMatches());
    ASSERT_TRUE(CorruptPdaCrc(card.State()));
    const PdaLayout pda = WalkPda(ReadPdaWords(card.State()));
    EXPECT_TRUE(pda.endIndex.has_value());
    EXPECT_FALSE(pda.CrcMatches());
}

// The card counts a fault when it changes what a request gets, and only then.
TEST(FaultTally, EveryStrikeIsCountedUnderItsKind) {
    struct Case {
        const char* fault;  // nullptr: the PDA's check value spoiled instead
        std::function<void(SoftwareCard&)> use;
        const char* kind;
        uint64_t fired;
    };
    std::vector<uint16_t> words;
    uint8_t version[4] = {};
    auto download = [](SoftwareCard& card) {
        simtest::StartSession(card);
        simtest::Download(card, 0x100000, {1, 2, 3, 4});
    };
    auto readPda = [](SoftwareCard& card) { simtest::ReadBack(card, 0x7F0000, 1024); };
    const Case cases[] = {
        {"refuse 0xFF010184 nth 2", [](SoftwareCard& c) { Command(c, kOidEnableAux); }, "refuse", 0},
        {"refuse 0xFF010184 always", [](SoftwareCard& c) { Command(c, kOidEnableAux); }, "refuse", 1},
        {"download-fail always", download, "download-fail", 1},
        {"download-fail always range 0x200000 0x2FFFFF", download, "download-fail", 0},
        {"download-corrupt once", download, "download-corrupt", 1},
        {"download-partial once", download, "download-partial", 1},
        {"power-loss after 1", download, "power-loss", 1},
        {"power-loss after 2", download, "power-loss", 0},
        {"read-refuse always range 0x7F0000 0x7F03FF", readPda, "read-refuse", 1},
        {"flaky-reads 0x7F0000 0x7F03FF", readPda, "flaky-reads", 1},
        {"flaky-reads 0x7E0000 0x7E03FF", readPda, "flaky-reads", 0},
        {"pda-bit31-only", readPda, "pda-bit31-only", 1},
        {"pda-bit31-only", [](SoftwareCard& c) { simtest::ReadBack(c, 0x807F0000, 1024); }, "pda-bit31-only", 0},
        {"rid-missing 0xFD20", [&](SoftwareCard& c) { simtest::ReadRid(c, kRidStationIdentity, words); },
         "rid-missing", 1},
        {"driver-too-old", [&](SoftwareCard& c) { c.HandleRequest(kQuery, kOidVendorDriverVersion, version, 4); },
         "driver-too-old", 1},
        {nullptr, readPda, "pda-bad-crc", 1},
        {nullptr, [](SoftwareCard& c) { simtest::ReadBack(c, 0x7F0000, 512); }, "pda-bad-crc", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault != nullptr ? c.fault : "bad PDA check value");
        SoftwareCard card = c.fault != nullptr ? CardWith(c.fault) : SoftwareCard::Factory(2, 0x0101);
        if (c.fault == nullptr) {
            ASSERT_TRUE(CorruptPdaCrc(card.State()));
        }
        c.use(card);
        const FaultTally& tally = card.FaultsFired();
        EXPECT_EQ(tally.count(c.kind) != 0 ? tally.at(c.kind) : 0u, c.fired);
        EXPECT_EQ(tally.size(), c.fired != 0 ? 1u : 0u) << "no other kind counted";
        card.ResetCounters();
        EXPECT_TRUE(card.FaultsFired().empty());
    }
}

TEST(FaultSyntax, DescriptionsReadBackAsTheSameRulesAndMistakesAreNamed) {
    FaultSet faults;
    std::string error;
    for (const char* text : {"refuse 0xFF01018C nth 4 status 0xC0000001", "download-fail once range 0x100000 0x10FFFF",
                             "flaky-reads 0x7E0000 0x7FFFFF", "rid-missing 0xFFFF", "driver-too-old",
                             "pda-bit31-only", "download-fail nth 2 status 5",
                             "download-corrupt nth 3 range 0x100000 0x1FFFFF", "download-partial always",
                             "read-refuse once range 0x7F0000 0x7F03FF status 0xC0010015",
                             "power-loss after 7 status 0xC0000001"}) {
        ASSERT_TRUE(ParseFault(SplitWords(text), faults, error)) << text << ": " << error;
    }
    faults.refusals[0].trigger.Strike();
    faults.powerLoss->seen = 7;  // the power is gone
    FaultSet again;
    for (const std::string& line : DescribeFaults(faults)) ASSERT_TRUE(ParseFault(SplitWords(line), again, error)) << line;
    EXPECT_TRUE(again == faults);
    EXPECT_EQ(again.refusals[0].trigger.seen, 1u);
    EXPECT_EQ(again.PowerLostStatus(), std::optional<uint32_t>(0xC0000001));
    EXPECT_FALSE(ParseFault(SplitWords("power-loss after 1"), again, error)) << "one rule per card";
    EXPECT_NE(error.find("one power-loss rule"), std::string::npos) << error;

    struct Bad {
        const char* text;
        const char* message;
    };
    for (const Bad& bad : {Bad{"refuse", "missing OID"}, Bad{"refuse 0xFF010181 sometimes", "expected always"},
                           Bad{"refuse 0xFF010181 nth 0", "counts from 1"},
                           Bad{"download-fail once range 0x200 0x100", "range start above"},
                           Bad{"flaky-reads 0x100", "missing range end"}, Bad{"rid-missing 0x10000", "bad RID"},
                           Bad{"driver-too-old now", "unexpected 'now'"}, Bad{"melt", "unknown fault 'melt'"},
                           Bad{"refuse 0xFF010181 once seen 1", "unexpected 'seen'"},
                           Bad{"read-refuse once", "needs range LOW HIGH"},
                           Bad{"download-corrupt once status 5", "unexpected 'status'"},
                           Bad{"download-partial sometimes", "expected always"},
                           Bad{"power-loss after 0", "after counts from 1"}, Bad{"power-loss 3", "expected after N"},
                           Bad{"power-loss after 2 seen 3", "seen count above"},
                           Bad{"power-loss after 2 once", "unexpected 'once'"}}) {
        FaultSet ignored;
        EXPECT_FALSE(ParseFault(SplitWords(bad.text), ignored, error)) << bad.text;
        EXPECT_NE(error.find(bad.message), std::string::npos) << bad.text << " -> " << error;
        EXPECT_TRUE(ignored.Empty()) << bad.text;
    }
}

}  // namespace
