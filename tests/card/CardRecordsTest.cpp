#include <gtest/gtest.h>

#include "HandleFixture.h"
#include "PdaWords.h"
#include "image/Pda.h"

using namespace cardtest;

namespace {

class CardRecordsTest : public HandleFixture {
protected:
    void SetIdentities() {
        library.SetRecord(meru::RID_PRIMARY_IDENTITY, {21, 1, 2, 4});  // id, variant, major, minor
        library.SetRecord(meru::RID_STATION_IDENTITY, {31, 9, 3, 0});
    }
};

TEST_F(CardRecordsTest, RecordReadPresetsLengthAndRidAndNeedsANonZeroLength) {
    OpenAndForget();
    library.SetRecord(meru::RID_PRIMARY_IDENTITY, {21, 1, 2, 4});
    meru::RidRecord record;
    record.SetLength(0x5555);
    ASSERT_TRUE(handle.ReadRecord(record, meru::RID_PRIMARY_IDENTITY));
    ASSERT_EQ(library.sent.size(), 1u);
    const SentRequest& sent = library.sent[0];
    EXPECT_EQ(sent.oid, meru::OID_CARD_READ_RID);
    EXPECT_EQ(sent.type, meru::kRequestQuery);
    EXPECT_EQ(sent.length, 504u);
    EXPECT_EQ(sent.bytes[0], 0);
    EXPECT_EQ(sent.bytes[1], 0);
    EXPECT_EQ(sent.bytes[2], 0x02);
    EXPECT_EQ(sent.bytes[3], 0xFD);
    EXPECT_EQ(record.Length(), 5);
    EXPECT_EQ(record.Word(2), 2);

    library.records[meru::RID_STATION_IDENTITY] = {0, {31, 0, 1, 1}};  // length 0: nothing read
    EXPECT_FALSE(handle.ReadRecord(record, meru::RID_STATION_IDENTITY));
    EXPECT_FALSE(handle.ReadRecord(record, meru::RID_MODEM_ACTOR_RANGE));  // refused
}

TEST_F(CardRecordsTest, IdentificationSetsTheLayoutOfTheMacType) {
    struct Case {
        bool readable;
        uint16_t word;
        uint16_t macType;
        uint32_t pda, cis, dump;
    };
    const Case cases[] = {
        {true, 1, 1, 0x3F0000, 0x3EFE00, 0x3E0000},
        {true, 2, 2, 0x7F0000, 0x7EFE00, 0x7E0000},
        {true, 3, 0xFFFF, 0, 0, 0},
        {true, 0, 0xFFFF, 0, 0, 0},
        {false, 2, 0xFFFF, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.word);
        if (c.readable) {
            SetMacType(c.word);
        } else {
            library.records.erase(meru::RID_MAC_IDENTITY);
        }
        ASSERT_TRUE(handle.Open(0, true));  // an unknown card still opens
        EXPECT_TRUE(handle.IsOpen());
        EXPECT_EQ(handle.MacType(), c.macType);
        EXPECT_EQ(handle.PdaAddress(), c.pda);
        EXPECT_EQ(handle.CisAddress(), c.cis);
        EXPECT_EQ(handle.DumpAddress(), c.dump);
        handle.Close();
    }
}

TEST_F(CardRecordsTest, OpeningWithoutIdentificationKeepsTheLayoutFound) {
    ASSERT_TRUE(handle.Open(0, true));
    handle.Close();
    SetMacType(1);
    ASSERT_TRUE(handle.Open(0, false));
    EXPECT_EQ(handle.MacType(), 2);
    EXPECT_EQ(library.Count(meru::OID_CARD_READ_RID), 1u);
}

TEST_F(CardRecordsTest, AuxReadSequenceMarkerAndCap) {
    OpenAndForget();
    library.SetMemory(0x7E0010, {1, 2, 3, 4});
    meru::AuxRecord record;
    record.SetAddress(0x7E0010);
    record.SetCount(3000);
    ASSERT_TRUE(handle.AuxRead(record));
    EXPECT_EQ(record.Count(), 2042);
    EXPECT_EQ(library.Oids(), (std::vector<uint32_t>{meru::OID_CARD_ENABLE_AUX, meru::OID_CARD_AUX_READ}));
    const SentRequest& sent = library.sent[1];
    EXPECT_EQ(sent.type, meru::kRequestQuery);
    EXPECT_EQ(sent.length, 2048u);
    EXPECT_EQ(sent.AuxCount(), 2042);
    EXPECT_EQ(sent.bytes[6], 0xDE);
    EXPECT_EQ(sent.bytes[7], 0xAD);
    EXPECT_EQ(record.Data()[0], 1);
    EXPECT_EQ(record.Data()[3], 4);

    library.refused[meru::OID_CARD_AUX_READ] = kStatusFailure;
    record.SetCount(4);
    EXPECT_FALSE(handle.AuxRead(record));
    EXPECT_EQ(record.Data()[0], 0xDE);  // the marker stays when nothing is delivered
}

TEST_F(CardRecordsTest, Mx100ReadsAreSentWithBits17And18Cleared) {
    SetMacType(1);
    OpenAndForget(true);
    meru::AuxRecord record;
    record.SetAddress(0x3F0000);
    record.SetCount(2);
    ASSERT_TRUE(handle.AuxRead(record));
    EXPECT_EQ(library.sent.back().AuxAddress(), 0x390000u);
    EXPECT_EQ(record.Address(), 0x3F0000u);

    record.SetAddress(0x803E0000);
    ASSERT_TRUE(handle.AuxRead(record));
    EXPECT_EQ(library.sent.back().AuxAddress(), 0x80380000u);
    EXPECT_EQ(record.Address(), 0x803E0000u);

    // Writes go out unchanged.
    record.SetAddress(0x3F0000);
    ASSERT_TRUE(handle.AuxWrite(record));
    EXPECT_EQ(library.sent.back().AuxAddress(), 0x3F0000u);
}

TEST_F(CardRecordsTest, Mx200ReadsAreSentUnchanged) {
    OpenAndForget(true);
    meru::AuxRecord record;
    record.SetAddress(0x803E0000);
    record.SetCount(2);
    ASSERT_TRUE(handle.AuxRead(record));
    EXPECT_EQ(library.sent.back().AuxAddress(), 0x803E0000u);
}

TEST_F(CardRecordsTest, ReadAuxPortCopiesExactlyTheCountOrReports) {
    OpenAndForget();
    library.SetMemory(0x7EFE00, {0x10, 0x20, 0x30, 0x40});
    uint8_t destination[4] = {0xAA, 0xAA, 0xAA, 0xAA};
    ASSERT_TRUE(handle.ReadAuxPort(destination, 0x7EFE00, 3));
    EXPECT_EQ(destination[0], 0x10);
    EXPECT_EQ(destination[2], 0x30);
    EXPECT_EQ(destination[3], 0xAA);  // past the count: untouched

    library.sent.clear();
    EXPECT_FALSE(handle.ReadAuxPort(destination, 0x7EFE00, 3000));
    EXPECT_TRUE(library.sent.empty());
    EXPECT_TRUE(boxes.boxes.empty());

    library.refused[meru::OID_CARD_AUX_READ] = kStatusFailure;
    EXPECT_FALSE(handle.ReadAuxPort(destination, 0x7EFE00, 3));
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Could not read from Aux Port");
    EXPECT_EQ(boxes.boxes[0].caption, "(none)");
    EXPECT_EQ(boxes.boxes[0].type, 0u);

    handle.Close();
    EXPECT_FALSE(handle.ReadAuxPort(destination, 0x7EFE00, 3));
    EXPECT_EQ(boxes.boxes.size(), 2u);
}

TEST_F(CardRecordsTest, FirmwareVersionsOpenAndCloseAroundTheReads) {
    SetIdentities();
    std::string primary = "old", station = "old";
    handle.ReadFirmwareVersions(0, primary, station);
    EXPECT_EQ(primary, "2.4.1");
    EXPECT_EQ(station, "3.0.9");
    EXPECT_FALSE(handle.IsOpen());

    library.records.erase(meru::RID_PRIMARY_IDENTITY);
    ASSERT_TRUE(handle.Open(0, false));
    handle.ReadFirmwareVersions(0, primary, station);
    EXPECT_EQ(primary, "");
    EXPECT_EQ(station, "3.0.9");
    EXPECT_TRUE(handle.IsOpen());  // was open: stays open
    handle.Close();

    library.openResult = -1;
    handle.ReadFirmwareVersions(0, primary, station);
    EXPECT_EQ(primary, "");
    EXPECT_EQ(station, "");
}

TEST_F(CardRecordsTest, VersionTextAndItsFailures) {
    SetIdentities();
    char text[80];
    ASSERT_TRUE(handle.GetVersionText(text, sizeof text, 0));
    EXPECT_STREQ(text, "Primary: 2.4.1   Station: 3.0.9");
    EXPECT_FALSE(handle.IsOpen());

    char small[12];
    ASSERT_TRUE(handle.GetVersionText(small, sizeof small, 0));
    EXPECT_STREQ(small, "Primary: 2.");

    library.records.erase(meru::RID_STATION_IDENTITY);
    EXPECT_FALSE(handle.GetVersionText(text, sizeof text, 0));
    EXPECT_STREQ(text, "Primary: 2.4.1 (Station RID read failure)");
    EXPECT_TRUE(handle.IsOpen());  // left open for the caller
    handle.Close();

    library.records.erase(meru::RID_PRIMARY_IDENTITY);
    EXPECT_FALSE(handle.GetVersionText(text, sizeof text, 0));
    EXPECT_STREQ(text, "(Primary RID read failure)");
    handle.Close();

    library.openResult = -1;
    EXPECT_FALSE(handle.GetVersionText(text, sizeof text, 0));
    EXPECT_STREQ(text, "");
}

// A file-name record: the length word and the text bytes as the card holds them.
void SetFileNames(ScriptedLibrary& library, uint16_t length, const std::string& text) {
    std::vector<uint16_t> words((text.size() + 1) / 2, 0);
    for (size_t i = 0; i < text.size(); ++i)
        words[i / 2] |= static_cast<uint16_t>(static_cast<uint8_t>(text[i]) << (8 * (i % 2)));
    library.records[meru::RID_FIRMWARE_FILE_NAMES] = {length, words};
}

TEST_F(CardRecordsTest, FileNamesKeepPrintableBytesWithinTheLength) {
    std::string primary = "unchanged", station = "unchanged";
    EXPECT_FALSE(handle.ReadFileNames(primary, station));  // closed
    EXPECT_EQ(primary, "unchanged");

    OpenAndForget();
    EXPECT_FALSE(handle.ReadFileNames(primary, station));  // no record
    EXPECT_EQ(primary, "unchanged");

    struct Case {
        uint16_t length;
        std::string text;
        const char* primary;
        const char* station;
    };
    const Case cases[] = {
        {15, "pk010101.hex sf010704.hex", "pk010101.hex", "sf010704.hex"},
        // Length 14 keeps 24 text bytes: positions 24 and 25 become spaces.
        {14, "pk010101.hex sf0107040.hexZ", "pk010101.hex", "sf0107040.h"},
        // A non-printable byte splits a name; only the first two words count.
        {15, std::string("pk01\x01") + "0101.hex sf.hex", "pk01", "0101.hex"},
        {2, "pk010101.hex sf010704.hex", "", ""},
        {15, "  onlyone", "onlyone", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        SetFileNames(library, c.length, c.text);
        ASSERT_TRUE(handle.ReadFileNames(primary, station));
        EXPECT_EQ(primary, c.primary);
        EXPECT_EQ(station, c.station);
    }
}

TEST_F(CardRecordsTest, PermanentAddress) {
    OpenAndForget();
    uint8_t mac[6] = {};
    ASSERT_TRUE(handle.ReadPermanentAddress(mac));
    EXPECT_EQ(library.sent[0].oid, meru::OID_802_3_PERMANENT_ADDRESS);
    EXPECT_EQ(library.sent[0].length, 6u);
    EXPECT_EQ(mac[1], 0x60);
    EXPECT_EQ(mac[5], 0x56);
    library.refused[meru::OID_802_3_PERMANENT_ADDRESS] = kStatusFailure;
    EXPECT_FALSE(handle.ReadPermanentAddress(mac));
}

class ReadPdaTest : public CardRecordsTest {
protected:
    const std::vector<uint16_t> stream = PdaStream({{4, 0x0101, 0x6000, 0x121D, 0x5634}, {2, 0x0002, 0x0042}});

    std::vector<SentRequest> PdaReads() { return library.SentWith(meru::OID_CARD_AUX_READ); }
};

TEST_F(ReadPdaTest, ReadsTheListWithAMatchingCheckValue) {
    OpenAndForget();
    library.SetMemory(0x7F0000, WordBytes(stream));
    meru::Pda pda;
    ASSERT_TRUE(handle.ReadPda(pda));
    EXPECT_EQ(pda.RecordCount(), 2u);
    ASSERT_NE(pda.Find(0x0101), nullptr);
    EXPECT_EQ(pda.Find(0x0101)[2], 0x6000);
    ASSERT_EQ(PdaReads().size(), 1u);
    EXPECT_EQ(PdaReads()[0].AuxAddress(), 0x7F0000u);
    EXPECT_EQ(PdaReads()[0].AuxCount(), 1024);
}

TEST_F(ReadPdaTest, EmptyFirstReadIsRetriedWithBit31) {
    OpenAndForget();
    library.SetMemory(0x807F0000, WordBytes(stream));  // the other path holds the list
    meru::Pda pda;
    ASSERT_TRUE(handle.ReadPda(pda));
    EXPECT_EQ(pda.RecordCount(), 2u);
    ASSERT_EQ(PdaReads().size(), 2u);
    EXPECT_EQ(PdaReads()[1].AuxAddress(), 0x807F0000u);

    // Both attempts empty: cleared and false.
    library.memory.clear();
    EXPECT_FALSE(handle.ReadPda(pda));
    EXPECT_TRUE(pda.Empty());

    // Second attempt refused: its marker parses as nothing.
    library.scripted[meru::OID_CARD_AUX_READ] = {0, kStatusFailure};
    pda.AddRecord(stream.data());
    EXPECT_FALSE(handle.ReadPda(pda));
    EXPECT_TRUE(pda.Empty());
}

TEST_F(ReadPdaTest, BadCheckValueFailsWithoutASecondRead) {
    OpenAndForget();
    std::vector<uint16_t> bad = stream;
    bad.back() ^= 0x0001;
    library.SetMemory(0x7F0000, WordBytes(bad));
    library.SetMemory(0x807F0000, WordBytes(stream));
    meru::Pda pda;
    EXPECT_FALSE(handle.ReadPda(pda));
    EXPECT_TRUE(pda.Empty());
    EXPECT_EQ(PdaReads().size(), 1u);
}

TEST_F(ReadPdaTest, FailedFirstReadLeavesThePdaUntouched) {
    OpenAndForget();
    library.refused[meru::OID_CARD_AUX_READ] = kStatusFailure;
    meru::Pda pda;
    pda.AddRecord(stream.data());
    EXPECT_FALSE(handle.ReadPda(pda));
    EXPECT_EQ(pda.RecordCount(), 1u);
    EXPECT_EQ(PdaReads().size(), 1u);

    handle.Close();
    EXPECT_FALSE(handle.ReadPda(pda));
    EXPECT_EQ(pda.RecordCount(), 1u);
}

}  // namespace
