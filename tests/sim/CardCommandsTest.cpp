// velox-sim-card: making, inspecting and breaking state files.
#include <gtest/gtest.h>

#include <sstream>

#include "CardRequests.h"
#include "sim/PdaArea.h"
#include "sim/StateFile.h"
#include "sim/cli/CardCommands.h"
#include "support/TempDir.h"

namespace {

using namespace sim;

class CardCommandsTest : public ::testing::Test {
protected:
    int Run(const std::vector<std::string>& args) {
        out_.str("");
        err_.str("");
        return RunCardCommand(args, out_, err_);
    }
    CardState Load() {
        CardState card;
        std::string error;
        EXPECT_TRUE(LoadStateFile(path_, card, error)) << error;
        return card;
    }

    testsupport::TempDir dir_;
    std::string path_ = dir_.File("card.state");
    std::ostringstream out_, err_;
};

TEST_F(CardCommandsTest, NewMakesAFactoryCardAndShowDescribesIt) {
    ASSERT_EQ(Run({"new", "--mac-type", "1", "--platform", "0x8021", "--serial", "SN0042", "--mac",
                   "00-60-1D-01-02-03", path_}),
              0)
        << err_.str();
    CardState card = Load();
    EXPECT_EQ(card.macType, 1);
    EXPECT_EQ(card.permanentAddress[5], 0x03);
    EXPECT_EQ(PdaFirstDataWord(ReadPdaWords(card), 0x0008), 0x8021);
    ASSERT_EQ(Run({"show", path_}), 0) << err_.str();
    const std::string shown = out_.str();
    for (const char* line : {"MAC type: 1 (MX100), flash 4 MiB, PDA 0x3F0000", "platform: 0x8021",
                             "primary: 1.1.1 (component 21, factory identity)", "file SK010301.HEX",
                             "(good)", "faults: none"}) {
        EXPECT_NE(shown.find(line), std::string::npos) << line << "\n" << shown;
    }
    ASSERT_EQ(Run({"new", "--platform", "none", path_}), 0);
    EXPECT_FALSE(PdaFirstDataWord(ReadPdaWords(Load()), 0x0008).has_value());
}

TEST_F(CardCommandsTest, FaultsAreAddedClearedAndThePdaCanBeSpoiled) {
    ASSERT_EQ(Run({"new", "--platform", "0x0101", path_}), 0);
    ASSERT_EQ(Run({"fault", path_, "refuse", "0xFF01018C", "nth", "2"}), 0) << err_.str();
    ASSERT_EQ(Run({"fault", path_, "library-error", "5"}), 0);
    ASSERT_EQ(Run({"fault", path_, "pda-bad-crc"}), 0);
    CardState card = Load();
    ASSERT_EQ(card.faults.refusals.size(), 1u);
    EXPECT_EQ(card.faults.refusals[0].trigger.nth, 2u);
    EXPECT_EQ(card.libraryLastError, 5u);
    EXPECT_FALSE(WalkPda(ReadPdaWords(card)).CrcMatches());
    EXPECT_EQ(Run({"fault", path_, "refuse", "0xFF01018C", "maybe"}), 2);
    EXPECT_NE(err_.str().find("expected always, once or nth N"), std::string::npos);
    ASSERT_EQ(Run({"fault", path_, "clear"}), 0);
    EXPECT_TRUE(Load().faults.Empty());
}

TEST_F(CardCommandsTest, SetChecksValuesAsTheStateFileDoes) {
    ASSERT_EQ(Run({"new", "--platform", "0x0101", path_}), 0);
    ASSERT_EQ(Run({"set", path_, "driver-version", "0x80070103"}), 0) << err_.str();
    ASSERT_EQ(Run({"set", path_, "vendor-description", "VELOX", "test", "card"}), 0);
    ASSERT_EQ(Run({"set", path_, "record", "0xFD0C", "0", "1", "2", "3", "4"}), 0);
    ASSERT_EQ(Run({"set", path_, "mac-type", "3"}), 0);
    CardState card = Load();
    EXPECT_EQ(card.driverVersion, 0x80070103u);
    EXPECT_EQ(card.vendorDescription, "VELOX test card");
    EXPECT_EQ(card.records[0xFD0C], (std::vector<uint16_t>{0, 1, 2, 3, 4}));
    EXPECT_EQ(card.records.count(0xFD0D), 1u) << "other records stay";
    EXPECT_EQ(card.macType, 3);
    EXPECT_EQ(Run({"set", path_, "mac-type", "many"}), 1);
    EXPECT_NE(err_.str().find("cannot set mac-type: bad number 'many'"), std::string::npos) << err_.str();
    EXPECT_EQ(Run({"set", path_, "record", "0xFFFF", "1"}), 1);
    EXPECT_EQ(Load().macType, 3) << "a refused change leaves the file";
}

TEST_F(CardCommandsTest, WriteReadAndRidShowWhatTheCardHolds) {
    ASSERT_EQ(Run({"new", "--mac-type", "1", "--platform", "0x0101", path_}), 0);
    ASSERT_EQ(Run({"write", path_, "0x3E0040", "5658494415000100020003000300"}), 0) << err_.str();
    ASSERT_EQ(Run({"read", path_, "0x380040", "8"}), 0);
    EXPECT_EQ(out_.str(), "0x380040: 56 58 49 44 15 00 01 00\n") << "MAC type 1 decoding";
    ASSERT_EQ(Run({"rid", path_, "0xFD02"}), 0);
    EXPECT_EQ(out_.str(), "length 5, RID 0xFD02: 0x0015 0x0001 0x0002 0x0003\n");
    EXPECT_EQ(Run({"rid", path_, "0xFD99"}), 1);
    EXPECT_EQ(Run({"write", path_, "0x3FFFFF", "0102"}), 1);
    EXPECT_EQ(Run({"write", path_, "0x100000", "012"}), 2);
    EXPECT_EQ(Run({"read", path_, "0x3FFFFF", "2"}), 1);
}

TEST_F(CardCommandsTest, CountersAreShownAndReset) {
    ASSERT_EQ(Run({"new", "--platform", "0x0101", path_}), 0);
    SoftwareCard card(Load());
    simtest::StartSession(card);
    std::string error;
    ASSERT_TRUE(SaveStateFile(path_, card.State(), error));
    ASSERT_EQ(Run({"counters", path_, "--reset"}), 0);
    EXPECT_NE(out_.str().find("0xFF01018C OID_CARD_DOWNLOAD requests 1 failures 0 bytes 6\n"), std::string::npos)
        << out_.str();
    ASSERT_EQ(Run({"counters", path_}), 0);
    EXPECT_EQ(out_.str(), "");
}

TEST_F(CardCommandsTest, APowerLossLastsUntilTheCardIsReinserted) {
    ASSERT_EQ(Run({"new", "--platform", "0x0101", path_}), 0);
    ASSERT_EQ(Run({"fault", path_, "power-loss", "after", "1", "status", "0xC0000001"}), 0) << err_.str();
    SoftwareCard card(Load());
    simtest::StartSession(card);
    ASSERT_EQ(simtest::Download(card, 0x100000, {0x42}), kStatusSuccess);
    ASSERT_EQ(simtest::Command(card, kOidEnableAux), kStatusFailure);
    std::string error;
    ASSERT_TRUE(SaveStateFile(path_, card.State(), error)) << error;
    ASSERT_EQ(Run({"show", path_}), 0);
    EXPECT_NE(out_.str().find("power-loss after 1 seen 1 status 0xC0000001"), std::string::npos) << out_.str();

    EXPECT_EQ(Run({"reinsert", path_, "now"}), 2);
    ASSERT_EQ(Run({"reinsert", path_}), 0) << err_.str();
    SoftwareCard back(Load());
    EXPECT_TRUE(back.State().faults.Empty());
    EXPECT_EQ(back.State().session, SessionState());
    EXPECT_EQ(simtest::ReadBack(back, 0x100000, 1), std::vector<uint8_t>{0x42}) << "the flash kept the download";
}

TEST_F(CardCommandsTest, MistakesGiveUsageOrAMessageAndChangeNothing) {
    EXPECT_EQ(Run({}), 2);
    EXPECT_EQ(Run({"frobnicate", path_}), 2);
    EXPECT_EQ(Run({"new", path_}), 2) << "no platform";
    EXPECT_NE(err_.str().find("--platform"), std::string::npos);
    EXPECT_EQ(Run({"new", "--platform", "0x0101", "--serial", "1234567890123", path_}), 2);
    EXPECT_EQ(Run({"new", "--platform"}), 2);
    EXPECT_EQ(Run({"show"}), 2);
    EXPECT_FALSE(std::filesystem::exists(path_));
    EXPECT_EQ(Run({"show", path_}), 1);
    EXPECT_NE(err_.str().find("cannot open state file"), std::string::npos);
    testsupport::WriteWholeFile(path_, "garbage\n");
    EXPECT_EQ(Run({"fault", path_, "driver-too-old"}), 1);
    EXPECT_EQ(testsupport::ReadWholeFile(path_), "garbage\n");
}

}  // namespace
