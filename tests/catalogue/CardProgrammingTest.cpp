// The catalogue's choice for a factory-fresh software card, plugged with the
// card's own production data and programmed through the card channel: the
// card then reports the images' identities, ranges and file names.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "support/NoticeBoxes.h"
#include "card/AdapterHandle.h"
#include "card/CardRequests.h"
#include "image/Calibration.h"
#include "image/Catalogue.h"
#include "image/Compatibility.h"
#include "image/DirectoryResourceSource.h"
#include "image/FirmwareImage.h"
#include "image/ImageInfo.h"
#include "image/Pda.h"
#include "image/PlugRecordList.h"
#include "image/Plugging.h"
#include "sim/FactoryCard.h"
#include "sim/Fixture.h"
#include "sim/MemoryRegistry.h"
#include "sim/SoftwareCard.h"
#include "sim/SoftwareLibrary.h"
#include "support/LogCapture.h"
#include "support/RecordingMessageBoxes.h"

namespace {

class NumberedEvents : public meru::OverlappedEvents {
public:
    meru::EventRef Create() override { return reinterpret_cast<meru::EventRef>(uintptr_t{0x100}); }
    void Reset(meru::EventRef) override {}
    void Close(meru::EventRef) override {}
};

struct Chosen {
    std::string name;
    unsigned id;
    std::unique_ptr<meru::FirmwareImage> image = std::make_unique<meru::FirmwareImage>();
    meru::PlugRecordList plugs;
    meru::ImageInfo info;
};

class CardProgrammingTest : public ::testing::TestWithParam<std::pair<uint16_t, uint16_t>> {
protected:
    void SetUp() override {
        meru::SetResourceSource(&resources);
        sim::FillOneAdapter(registry);
        card = sim::SoftwareCard::Factory(GetParam().first, GetParam().second);
        library.AttachCard(card);
        handle.SetSleepHook([](uint32_t) {});
    }
    void TearDown() override { meru::SetResourceSource(nullptr); }

    std::vector<uint8_t> CardBytes(uint32_t address, uint16_t count) {
        std::vector<uint8_t> bytes(count);
        EXPECT_TRUE(handle.ReadAuxPort(bytes.data(), address, count));
        return bytes;
    }

    testsupport::LogCapture log;
    testsupport::RecordingMessageBoxes boxes;
    meru::DirectoryResourceSource resources{MERU_FIRMWARE_DIR};
    sim::MemoryRegistry registry;
    sim::SoftwareCard card;
    sim::SoftwareLibrary library{registry};
    NumberedEvents events;
    meru::AdapterHandle handle{library, registry, events, testsupport::NoticesAsBoxes()};
};

TEST_P(CardProgrammingTest, ChosenImagesPlugProgramAndIdentifyThemselves) {
    ASSERT_TRUE(handle.Open(0, true));
    ASSERT_EQ(GetParam().first, handle.MacType());
    meru::Pda pda;
    ASSERT_TRUE(handle.ReadPda(pda));
    // Set points and integrators come from the card's calibration tables.
    ASSERT_EQ(meru::kCalibrationAdded, meru::ComputeCalibrationRecords(pda));

    std::vector<std::unique_ptr<Chosen>> chosen;
    ASSERT_EQ(meru::kSelectedBoth, meru::SelectForPlatform(pda, [&](const std::string& name, unsigned id) {
                  chosen.push_back(std::make_unique<Chosen>());
                  chosen.back()->name = name;
                  chosen.back()->id = id;
              }));
    ASSERT_EQ(2u, chosen.size());

    for (auto& c : chosen) {
        SCOPED_TRACE(c->name);
        ASSERT_NE(0u, c->info.LoadResource(c->id, c->image.get(), &c->plugs));
        log.Reset();
        const unsigned plugged = meru::PlugImage(c->info, *c->image, c->plugs, pda, c->name.c_str());
        EXPECT_EQ(c->plugs.Count() - 1, plugged) << log.Text();
        EXPECT_NE(std::string::npos, log.Text().find("All Entries Plugged!")) << log.Text();
        EXPECT_TRUE(handle.ProgramImage(*c->image, nullptr, true, true).Written());
    }
    EXPECT_TRUE(boxes.boxes.empty());
    handle.BlockProtocols(false);
    handle.ConcludeSession();

    const meru::ImageInfo& primary = chosen[0]->info;
    const meru::ImageInfo& station = chosen[1]->info;
    meru::FirmwareIdentity reported;
    ASSERT_TRUE(handle.ReadFirmwareIdentity(meru::RID_PRIMARY_IDENTITY, reported));
    EXPECT_EQ(primary.primary.componentId, reported.componentId);
    EXPECT_EQ(primary.primary.Text(), reported.Text());
    ASSERT_TRUE(handle.ReadFirmwareIdentity(meru::RID_STATION_IDENTITY, reported));
    EXPECT_EQ(station.station.componentId, reported.componentId);
    EXPECT_EQ(station.station.Text(), reported.Text());

    meru::RidRecord range;
    ASSERT_TRUE(handle.ReadRecord(range, meru::RID_PRIMARY_SUPPLIER_RANGE));
    EXPECT_EQ(primary.compatibility[3].bottom, range.Word(3));
    EXPECT_EQ(primary.compatibility[3].top, range.Word(4));
    EXPECT_TRUE(meru::InterfaceRangeFits(station, range.Word(3), range.Word(4)));

    std::string primaryName, stationName;
    ASSERT_TRUE(handle.ReadFileNames(primaryName, stationName));
    EXPECT_EQ(chosen[0]->name, primaryName);
    EXPECT_EQ(chosen[1]->name, stationName);

    // The card's own MAC address and platform were plugged into the primary.
    const uint32_t primaryBase = chosen[0]->image->BlockAt(1).startAddress;
    const uint16_t* mac = pda.Find(0x0101);
    ASSERT_NE(nullptr, mac);
    const std::vector<uint8_t> macBytes = {static_cast<uint8_t>(mac[2]), static_cast<uint8_t>(mac[2] >> 8),
                                           static_cast<uint8_t>(mac[3]), static_cast<uint8_t>(mac[3] >> 8),
                                           static_cast<uint8_t>(mac[4]), static_cast<uint8_t>(mac[4] >> 8)};
    EXPECT_EQ(macBytes, CardBytes(primaryBase + 0x80, 6));
    const std::vector<uint8_t> platformBytes = CardBytes(primaryBase + 0x98, 2);
    EXPECT_EQ(GetParam().second, platformBytes[0] | platformBytes[1] << 8);
}

std::string BoardName(const ::testing::TestParamInfo<std::pair<uint16_t, uint16_t>>& info) {
    char name[32];
    std::snprintf(name, sizeof name, "MacType%uBoard%04X", static_cast<unsigned>(info.param.first),
                  static_cast<unsigned>(info.param.second));
    return name;
}

// A board of each MAC type, one on the oldest primary line, and the board
// served by the generic image.
INSTANTIATE_TEST_SUITE_P(Boards, CardProgrammingTest,
                         ::testing::Values(std::make_pair(uint16_t{1}, uint16_t{0x0101}),
                                           std::make_pair(uint16_t{1}, uint16_t{0x0103}),
                                           std::make_pair(uint16_t{2}, uint16_t{0x0203}),
                                           std::make_pair(uint16_t{2}, uint16_t{0x0204})),
                         BoardName);

// The production data of a factory-fresh card, as the software card makes it,
// plugs into every shipped image once the calibration values are computed.
TEST(FactoryCardPda, PlugsIntoEveryShippedImage) {
    testsupport::LogCapture log;
    meru::DirectoryResourceSource resources{MERU_FIRMWARE_DIR};
    meru::SetResourceSource(&resources);
    const std::vector<uint16_t> words = sim::FactoryPdaWords(0x0201, sim::FactoryOptions());
    meru::Pda pda;
    pda.ParseWords(words.data(), static_cast<uint16_t>(words.size()));
    ASSERT_EQ(pda.StoredCrc(), pda.ReadCrc());
    ASSERT_EQ(meru::kCalibrationAdded, meru::ComputeCalibrationRecords(pda));

    std::vector<const meru::CatalogueEntry*> entries;
    for (const meru::CatalogueEntry* e = meru::kPrimaryCatalogue; e->resourceId != 0; ++e) entries.push_back(e);
    for (const meru::CatalogueEntry* e = meru::kStationCatalogue; e->resourceId != 0; ++e) entries.push_back(e);
    for (const meru::CatalogueEntry* entry : entries) {
        SCOPED_TRACE(entry->fileName);
        Chosen c;
        ASSERT_NE(0u, c.info.LoadResource(entry->resourceId, c.image.get(), &c.plugs));
        log.Reset();
        EXPECT_EQ(c.plugs.Count() - 1, meru::PlugImage(c.info, *c.image, c.plugs, pda, entry->fileName));
        EXPECT_NE(std::string::npos, log.Text().find("All Entries Plugged!\n")) << log.Text();
    }
    meru::SetResourceSource(nullptr);
}

}  // namespace
