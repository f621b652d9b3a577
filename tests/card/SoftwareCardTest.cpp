// The card library against the software card: a realistic driver and card
// that enforce the download protocol and keep what is written.
#include <gtest/gtest.h>

#include "SimRig.h"
#include "card/CardRequests.h"
#include "card/CollectedAdapters.h"
#include "image/Pda.h"
#include "sim/CardLayout.h"
#include "support/LogCapture.h"
#include "support/RecordingMessageBoxes.h"

using namespace cardtest;

namespace {

class SoftwareCardTest : public ::testing::Test {
protected:
    testsupport::LogCapture log;
    testsupport::RecordingMessageBoxes boxes;
};

TEST_F(SoftwareCardTest, DiscoveryListsTheAdaptersUpToTheFirstNonAdapter) {
    for (sim::RegistryLayout layout :
         {sim::RegistryLayout::kWindows2000, sim::RegistryLayout::kWindowsNT4, sim::RegistryLayout::kWindows9x}) {
        SimRig rig(2, layout);
        meru::AdapterDiscovery discovery(rig.library, rig.registry);
        meru::CollectedAdapters list;
        EXPECT_TRUE(discovery.FillAdapterList(list));
        EXPECT_EQ(list.names, (std::vector<std::string>{rig.adapter.displayName}));
        EXPECT_EQ(list.values, (std::vector<uint32_t>{0}));
        ASSERT_TRUE(rig.handle.Open(list.values[0], true));
        EXPECT_EQ(rig.handle.MacType(), 2);
        EXPECT_EQ(rig.registry.OpenHandleCount(), 0u);
    }
}

TEST_F(SoftwareCardTest, IdentifiesAFactoryCardOfEitherMacType) {
    for (uint16_t macType : {1, 2}) {
        SimRig rig(macType);
        ASSERT_TRUE(rig.handle.Open(0, true));
        const sim::CardLayout layout = sim::LayoutFor(macType);
        EXPECT_EQ(rig.handle.MacType(), macType);
        EXPECT_EQ(rig.handle.PdaAddress(), layout.pdaAddress);
        EXPECT_EQ(rig.handle.CisAddress(), layout.cisAddress);
        EXPECT_EQ(rig.handle.DumpAddress(), layout.dumpAddress);

        char text[100];
        EXPECT_TRUE(rig.handle.GetVersionText(text, sizeof text, 0));
        const sim::FactoryFirmware& primary = rig.card.State().primary;
        const sim::FactoryFirmware& station = rig.card.State().station;
        EXPECT_EQ(std::string(text), "Primary: " + std::to_string(primary.major) + "." + std::to_string(primary.minor) +
                                         "." + std::to_string(primary.variant) + "   Station: " +
                                         std::to_string(station.major) + "." + std::to_string(station.minor) + "." +
                                         std::to_string(station.variant));
        std::string primaryFile, stationFile;
        EXPECT_TRUE(rig.handle.ReadFileNames(primaryFile, stationFile));
        EXPECT_EQ(primaryFile, primary.fileName);
        EXPECT_EQ(stationFile, station.fileName);

        uint8_t mac[6] = {};
        EXPECT_TRUE(rig.handle.ReadPermanentAddress(mac));
        EXPECT_TRUE(std::equal(mac, mac + 6, rig.card.State().permanentAddress.begin()));
        EXPECT_EQ(rig.handle.QueryDriverVersion(), rig.card.State().driverVersion);
        EXPECT_TRUE(rig.handle.CheckDriver());

        meru::Pda pda;
        EXPECT_TRUE(rig.handle.ReadPda(pda));
        ASSERT_NE(pda.Find(0x0101), nullptr);
        EXPECT_EQ(pda.Find(0x0101)[2], mac[0] | mac[1] << 8);
    }
}

TEST_F(SoftwareCardTest, PdaOnlyReadableWithBit31IsFoundOnTheSecondAttempt) {
    SimRig rig;
    std::string error;
    ASSERT_TRUE(rig.card.AddFault("pda-bit31-only", error)) << error;
    ASSERT_TRUE(rig.handle.Open(0, true));
    meru::Pda pda;
    EXPECT_TRUE(rig.handle.ReadPda(pda));
    EXPECT_FALSE(pda.Empty());
    EXPECT_EQ(rig.Requests(meru::OID_CARD_AUX_READ), 2u);
}

TEST_F(SoftwareCardTest, ProgrammedImageIsInFlashAndIsNotWrittenTwice) {
    for (uint16_t macType : {1, 2}) {
        SimRig rig(macType);
        ASSERT_TRUE(rig.handle.Open(0, true));
        meru::FirmwareImage image;
        MakeStationImage(image, sim::LayoutFor(macType).stationBase, 7);
        const uint16_t chunks = image.CountChunks(2042, 0x10000);
        RecordingProgressBar progress;

        ASSERT_TRUE(rig.handle.ProgramImage(image, &progress, true, true).Written());
        EXPECT_EQ(rig.Requests(meru::OID_CARD_DOWNLOAD), chunks + 1u);  // and the preparation's empty one
        EXPECT_EQ(progress.messages.back().wParam, chunks);

        // Every block reads back as written.
        image.Rewind();
        meru::AuxRecord expected;
        uint32_t address = 0;
        uint16_t length = 0;
        while (image.NextChunk(expected.Data(), address, length, 2042, 0x10000)) {
            std::vector<uint8_t> onCard(length);
            ASSERT_TRUE(rig.handle.ReadAuxPort(onCard.data(), address, length));
            ASSERT_TRUE(std::equal(onCard.begin(), onCard.end(), expected.Data())) << std::hex << address;
        }

        rig.handle.BlockProtocols(false);
        rig.handle.ConcludeSession();
        rig.card.ResetCounters();
        ASSERT_TRUE(rig.handle.ProgramImage(image, nullptr, false, false).Written());
        EXPECT_EQ(rig.Requests(meru::OID_CARD_DOWNLOAD), 1u);  // only the preparation's
        EXPECT_EQ(rig.Requests(meru::OID_CARD_AUX_READ), chunks);
    }
}

TEST_F(SoftwareCardTest, FailedDownloadIsRetriedOnceAndAFailingBlockStopsTheRun) {
    SimRig rig;
    ASSERT_TRUE(rig.handle.Open(0, true));
    meru::FirmwareImage image;
    MakeStationImage(image, 0x100000, 3);
    std::string error;
    ASSERT_TRUE(rig.card.AddFault("download-fail once", error)) << error;
    EXPECT_TRUE(rig.handle.ProgramImage(image, nullptr, true, false).Written());
    EXPECT_TRUE(boxes.boxes.empty());

    rig.card.ResetCounters();
    ASSERT_TRUE(rig.card.AddFault("download-fail always range 0x110000 0x11FFFF", error)) << error;
    const meru::ProgramResult failed = rig.handle.ProgramImage(image, nullptr, true, false);
    EXPECT_EQ(failed.outcome, meru::ProgramResult::Outcome::kBlockFailed);
    EXPECT_GE(failed.address, 0x110000u);
    EXPECT_LE(failed.address, 0x11FFFFu);
    EXPECT_TRUE(boxes.boxes.empty()) << "the caller tells the user (ProgramFailureBoxesTest)";
}

TEST_F(SoftwareCardTest, WrittenPdaIsReadBack) {
    SimRig rig;
    ASSERT_TRUE(rig.handle.Open(0, true));
    meru::Pda pda;
    ASSERT_TRUE(rig.handle.ReadPda(pda));
    const uint16_t serial[] = {7, 0x0003, 0x3131, 0x3232, 0x3333, 0x3434, 0x3535, 0x3636};
    pda.AddRecord(serial);
    ASSERT_TRUE(rig.handle.WritePda(pda, false, true));
    rig.handle.ConcludeSession();

    meru::Pda again;
    ASSERT_TRUE(rig.handle.ReadPda(again));
    ASSERT_NE(again.Find(0x0003), nullptr);
    EXPECT_EQ(again.Find(0x0003)[7], 0x3636);
    EXPECT_EQ(again.RecordCount(), pda.RecordCount());
}

}  // namespace
