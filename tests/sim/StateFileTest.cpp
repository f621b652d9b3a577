// The state file: a card survives the round trip through text, malformed
// files are refused with the line named, and two holders of one file (two
// processes) see each other's changes.
#include <gtest/gtest.h>

#include <filesystem>

#include "CardRequests.h"
#include "sim/FlashIdentity.h"
#include "sim/PersistentCard.h"
#include "sim/StateFile.h"
#include "support/TempDir.h"

namespace {

using namespace sim;

// A card with something in every part of its state.
SoftwareCard BusyCard(uint16_t macType) {
    FactoryOptions options;
    options.deviceName = "{6B2F1C40-71D3-4E8A-9C5B-000000000001}";
    SoftwareCard card = SoftwareCard::Factory(macType, 0x8021, options);
    std::string error;
    for (const char* fault : {"refuse 0xFF010186 nth 3", "download-fail once range 0x100000 0x100FFF",
                              "flaky-reads 0x100000 0x1000FF", "rid-missing 0xFD23", "driver-too-old"}) {
        EXPECT_TRUE(card.AddFault(fault, error)) << error;
    }
    simtest::StartSession(card);
    simtest::Download(card, 0x100FF0, std::vector<uint8_t>(16, 0xAB));  // fails: the fault
    simtest::Download(card, 0x120000, {0x00, 0xFF, 0x12});
    simtest::ReadBack(card, 0x100000, 8);
    card.State().vendorDescription = "  spaced  description  ";
    card.State().libraryLastError = 0x106;
    card.State().records[0x1234] = {};
    card.State().counters.Set(0xFF020198, {0x100000001ull, 1, 0x123456789Aull});  // beyond 32 bits
    card.State().faultsFired["library-error"] = 0x100000002ull;
    return card;
}

TEST(StateFile, EveryPartOfACardSurvivesTheRoundTrip) {
    for (uint16_t macType : {1, 2, 3}) {
        const SoftwareCard card = BusyCard(macType);
        CardState loaded;
        std::string error;
        ASSERT_TRUE(ParseState(FormatState(card.State()), loaded, error)) << error;
        EXPECT_TRUE(loaded == card.State()) << "MAC type " << macType;
        EXPECT_EQ(FormatState(loaded), FormatState(card.State()));
    }
}

TEST(StateFile, IsTextAPersonCanReadAndEdit) {
    const std::string text = FormatState(BusyCard(2).State());
    EXPECT_EQ(text.rfind("velox-sim-card-state 1\nmac-type 2\n", 0), 0u);
    EXPECT_NE(text.find("\nfault refuse 0xFF010186 nth 3 seen 1 status 0xC0000001\n"), std::string::npos);
    EXPECT_NE(text.find("\nflash 0x120000 00FF12\n"), std::string::npos) << "rows are cut at erased bytes";
    EXPECT_NE(text.find("\ncounter 0xFF01018C 3 1 "), std::string::npos);
    EXPECT_NE(text.find("\nfired download-fail 1\n"), std::string::npos);
    std::string edited = "# a hand-made card\r\n" + text + "\n\n   # the end\n\tflash\t0x200000  \t7E\r\n";
    CardState card;
    std::string error;
    ASSERT_TRUE(ParseState(edited, card, error)) << error;
    EXPECT_EQ(card.flash.ReadByte(0x200000), 0x7E);
    EXPECT_EQ(card.flash.ReadByte(0x200001), 0xFF);
}

TEST(StateFile, MalformedFilesAreRefusedWithTheLineAndLeaveTheCardAlone) {
    const std::string head = "velox-sim-card-state 1\n";
    struct Bad {
        std::string text;
        const char* message;
    };
    const Bad cases[] = {
        {"", "empty file"},
        {"velox-sim-card-state 2\n", "line 1: not a software card state file"},
        {head + "mac-type\n", "line 2: mac-type takes 1 value"},
        {head + "mac-type 0x10000\n", "line 2: bad number '0x10000'"},
        {head + "mac-type 2\nmac-type 1\n", "line 3: mac-type given twice"},
        {head + "colour blue\n", "line 2: unknown keyword 'colour'"},
        {head + "permanent-address 00-60-1D-12-34\n", "six hexadecimal pairs"},
        {head + "record 0xFD02 1 2 3 4\n", "0xFD02 is computed"},
        {head + "record 0xFD0C 1\nrecord 0xFD0C 2\n", "line 3: record 0xFD0C given twice"},
        {head + "fault refuse 0xFF010181 sometimes\n", "line 2: fault refuse: expected always"},
        {head + "preparation-step 3\n", "line 2: bad number '3'"},
        {head + "counter 0xFF010181 1 2 3\n", "more failures than requests"},
        {head + "counter 0xFF010181 1 0 18446744073709551616\n", "bad count"},
        {head + "flash 0x100010 00\n", "multiple of 32"},
        {head + "flash 0x100000\n", "line 2: flash takes 2 values"},
        {head + "  flash 0x100000 00 11\n", "line 2: flash takes 2 values"},
        {head + "flash 0x80000000 00\n", "bad number '0x80000000'"},
        {head + "flash 0x100000 0G\n", "bad hexadecimal digits"},
        {head + "flash 0x100000 123\n", "pairs of hexadecimal digits"},
        {head + "flash 0x100000 00\nflash 0x100000 01\n", "line 3: flash row 0x100000 given twice"},
        {head + "flash 0x400000 00\nmac-type 1\n", "line 2: flash row 0x400000 lies outside the 4 MiB"},
        {head + "factory-station-name S1 S2\n", "no spaces"},
        {head + "factory-primary-colour 1\n", "unknown keyword"},
        {head + "vendor-description " + std::string(300, 'x') + "\n", "longer than 259"},
        {head + std::string("mac-type 2\0\n", 12), "line 2: not a text line"},
        // A CR inside a value would be saved and then read back as the line end.
        {head + "vendor-description VELOX card\r\r\n", "line 2: not a text line"},
        {head + "mac-type 2\ndevice {DEVICE}\r \r\n", "line 3: not a text line"},
        {head + "factory-station-name S\rA.HEX\n", "line 2: not a text line"},
    };
    for (const Bad& bad : cases) {
        CardState card = SoftwareCard::Factory(2, 0x0101).State();
        const CardState before = card;
        std::string error;
        EXPECT_FALSE(ParseState(bad.text, card, error)) << bad.text;
        EXPECT_NE(error.find(bad.message), std::string::npos) << bad.text << " -> " << error;
        EXPECT_TRUE(card == before) << bad.text;
    }
}

TEST(StateFile, LoadAndSaveNameTheFileInTheirMessages) {
    testsupport::TempDir dir;
    CardState card;
    std::string error;
    EXPECT_FALSE(LoadStateFile(dir.File("missing.card"), card, error));
    EXPECT_NE(error.find("cannot open state file"), std::string::npos);
    testsupport::WriteWholeFile(dir.File("bad.card"), "velox-sim-card-state 1\nmac-type two\n");
    EXPECT_FALSE(LoadStateFile(dir.File("bad.card"), card, error));
    EXPECT_EQ(error, dir.File("bad.card") + ": line 2: bad number 'two' (at most 0xFFFF)");
    EXPECT_FALSE(SaveStateFile(dir.File("no-dir/x.card"), card, error));
    EXPECT_TRUE(SaveStateFile(dir.File("good.card"), card, error)) << error;
    EXPECT_FALSE(std::filesystem::exists(dir.File("good.card.tmp"))) << "the temporary file is renamed";
}

TEST(PersistentCard, TwoHoldersOfOneFileSeeEachOthersChanges) {
    testsupport::TempDir dir;
    const std::string path = dir.File("shared.card");
    std::string error;
    ASSERT_TRUE(SaveStateFile(path, SoftwareCard::Factory(2, 0x0101).State(), error));
    PersistentCard updater(path), inspector(path);
    ASSERT_TRUE(updater.Refresh(error)) << error;
    ASSERT_TRUE(inspector.Refresh(error)) << error;

    simtest::StartSession(updater.Card());
    const auto identity = EncodeIdentityBlock({31, 4, 2, 0, 4, 1, 1, 1});
    ASSERT_EQ(simtest::Download(updater.Card(), 0x100040, {identity.begin(), identity.end()}), kStatusSuccess);
    ASSERT_TRUE(updater.Save(error)) << error;

    ASSERT_TRUE(inspector.Refresh(error)) << error;
    EXPECT_EQ(simtest::RidData(inspector.Card(), kRidStationIdentity), (std::vector<uint16_t>{31, 4, 2, 0}));
    EXPECT_TRUE(inspector.Card().State().session.protocolsBlocked) << "the session lives on the card";
    EXPECT_EQ(inspector.Card().Counters().For(kOidDownload).requests, 2u);

    inspector.Card().State().faults.driverTooOld = true;
    ASSERT_TRUE(inspector.Save(error));
    ASSERT_TRUE(updater.Refresh(error));
    EXPECT_TRUE(updater.Card().State().faults.driverTooOld);
}

TEST(PersistentCard, AFileSpoiledLaterKeepsTheLastGoodState) {
    testsupport::TempDir dir;
    const std::string path = dir.File("card");
    std::string error;
    PersistentCard card(path);
    EXPECT_FALSE(card.Refresh(error));
    EXPECT_FALSE(card.Loaded());
    ASSERT_TRUE(SaveStateFile(path, SoftwareCard::Factory(1, 0x0101).State(), error));
    ASSERT_TRUE(card.Refresh(error)) << error;
    testsupport::WriteWholeFile(path, "velox-sim-card-state 1\nmac-type 2\nmac-type 2\n");
    EXPECT_FALSE(card.Refresh(error));
    EXPECT_NE(error.find("line 3"), std::string::npos);
    EXPECT_TRUE(card.Loaded());
    EXPECT_EQ(card.Card().State().macType, 1);
}

}  // namespace
