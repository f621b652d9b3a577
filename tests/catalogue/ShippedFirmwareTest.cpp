// The committed catalogue: its description, the updater's tables and the
// image files agree, and every image loads, plugs and is chosen sensibly.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "FirmwareDescription.h"
#include "catalogue/ImageBytes.h"
#include "support/LogCapture.h"
#include "support/RecordingMessageBoxes.h"
#include "catalogue/RealisticPda.h"
#include "image/Calibration.h"
#include "image/Catalogue.h"
#include "image/Compatibility.h"
#include "image/DirectoryResourceSource.h"
#include "image/FirmwareImage.h"
#include "image/ImageInfo.h"
#include "image/Pda.h"
#include "image/PlugRecordList.h"
#include "image/Plugging.h"

namespace {

using Bytes = std::vector<uint8_t>;

const std::string kFirmwareDir = MERU_FIRMWARE_DIR;

struct LoadedImage {
    std::unique_ptr<meru::FirmwareImage> image = std::make_unique<meru::FirmwareImage>();
    meru::PlugRecordList plugs;
    meru::ImageInfo info;
    uint16_t lines = 0;
};

class ShippedFirmwareTest : public ::testing::Test {
protected:
    void SetUp() override {
        meru::SetResourceSource(&resources);
        std::ifstream in(kFirmwareDir + "/catalogue.txt");
        std::string error;
        ASSERT_TRUE(meru::ParseCatalogueDescription(in, catalogue, error)) << error;
        ASSERT_TRUE(meru::ValidateCatalogueDescription(catalogue, error)) << error;
    }
    void TearDown() override { meru::SetResourceSource(nullptr); }

    std::vector<const meru::ImageDescription*> Firmware() const {
        std::vector<const meru::ImageDescription*> images;
        for (const auto& image : catalogue.images) {
            if (image.kind != meru::ImageKind::Bare) images.push_back(&image);
        }
        return images;
    }

    std::unique_ptr<LoadedImage> Load(unsigned id) {
        auto loaded = std::make_unique<LoadedImage>();
        loaded->lines = loaded->info.LoadResource(id, loaded->image.get(), &loaded->plugs);
        return loaded;
    }

    testsupport::LogCapture log;
    testsupport::RecordingMessageBoxes boxes;
    meru::DirectoryResourceSource resources{kFirmwareDir};
    meru::CatalogueDescription catalogue;
};

std::vector<std::pair<unsigned, std::string>> TableEntries(const meru::CatalogueEntry* table) {
    std::vector<std::pair<unsigned, std::string>> entries;
    for (; table->resourceId != 0; ++table) entries.emplace_back(table->resourceId, table->fileName);
    return entries;
}

Bytes LittleEndianWords(std::initializer_list<uint16_t> words) {
    Bytes bytes;
    for (uint16_t w : words) {
        bytes.push_back(static_cast<uint8_t>(w & 0xFF));
        bytes.push_back(static_cast<uint8_t>(w >> 8));
    }
    return bytes;
}

TEST_F(ShippedFirmwareTest, TablesListTheDescribedImagesInTheDescribedOrder) {
    std::vector<std::pair<unsigned, std::string>> primaries, stations;
    for (const auto& image : catalogue.images) {
        if (image.kind == meru::ImageKind::Primary) primaries.emplace_back(image.resourceId, image.fileName);
        if (image.kind == meru::ImageKind::Station) stations.emplace_back(image.resourceId, image.fileName);
        if (image.kind == meru::ImageKind::Bare) {
            EXPECT_EQ(meru::kEmptyImageResourceId, image.resourceId);
            EXPECT_EQ(meru::kEmptyImageFileName, image.fileName);
        }
    }
    EXPECT_EQ(TableEntries(meru::kPrimaryCatalogue), primaries);
    EXPECT_EQ(TableEntries(meru::kStationCatalogue), stations);
}

TEST_F(ShippedFirmwareTest, FilesAreCrLfS3TextOfAtMost46CharactersEndingWithS7) {
    for (const auto& image : catalogue.images) {
        SCOPED_TRACE(image.fileName);
        std::string text;
        ASSERT_TRUE(resources.Load(image.resourceId, text));
        size_t lineCount = 0;
        std::string last;
        for (size_t start = 0; start < text.size();) {
            const size_t end = text.find("\r\n", start);
            ASSERT_NE(std::string::npos, end) << "line without CR LF at " << start;
            const std::string line = text.substr(start, end - start);
            ASSERT_LE(line.size(), 46u) << line;
            ASSERT_EQ(std::string::npos, line.find_first_of("\r\n"));
            ASSERT_TRUE(line.compare(0, 2, "S3") == 0 || line.compare(0, 2, "S7") == 0) << line;
            last = line;
            ++lineCount;
            start = end + 2;
        }
        EXPECT_EQ(0, last.compare(0, 2, "S7"));
    }
    std::string empty;
    ASSERT_TRUE(resources.Load(meru::kEmptyImageResourceId, empty));
    EXPECT_EQ("S70500000000FA\r\n", empty);
}

TEST_F(ShippedFirmwareTest, EmptyImageLoadsWithoutData) {
    auto loaded = Load(meru::kEmptyImageResourceId);
    EXPECT_EQ(1u, loaded->lines);
    EXPECT_EQ(0, loaded->image->BlockCount());
    EXPECT_TRUE(loaded->image->HasExecutionAddress());
    EXPECT_EQ(0u, loaded->image->ExecutionAddress());
}

// The programming run writes an image into flash only when its execution
// address is 0; any other marks a RAM download, which it refuses.
TEST_F(ShippedFirmwareTest, EveryTableImageCarriesExecutionAddressZero) {
    struct Case {
        const char* table;
        const meru::CatalogueEntry* entries;
    };
    const Case cases[] = {{"primary", meru::kPrimaryCatalogue}, {"station", meru::kStationCatalogue}};
    for (const Case& c : cases) {
        unsigned checked = 0;
        for (const meru::CatalogueEntry* e = c.entries; e->resourceId != 0; ++e, ++checked) {
            SCOPED_TRACE(std::string(c.table) + " " + e->fileName);
            auto loaded = Load(e->resourceId);
            ASSERT_NE(0u, loaded->lines) << log.Text();
            EXPECT_NE(0, loaded->image->BlockCount());
            ASSERT_TRUE(loaded->image->HasExecutionAddress());
            EXPECT_EQ(0u, loaded->image->ExecutionAddress()) << "the updater would refuse it as a RAM download";
        }
        EXPECT_NE(0u, checked) << c.table << " table is empty";
    }
}

TEST_F(ShippedFirmwareTest, EveryImageDeclaresWhatItsNameAndDescriptionSay) {
    for (const meru::ImageDescription* d : Firmware()) {
        SCOPED_TRACE(d->fileName);
        auto loaded = Load(d->resourceId);
        ASSERT_NE(0u, loaded->lines) << log.Text();
        const meru::ImageInfo& info = loaded->info;
        const bool primary = d->kind == meru::ImageKind::Primary;
        const meru::FirmwareIdentity& identity = primary ? info.primary : info.station;
        EXPECT_TRUE(identity.present);
        EXPECT_FALSE((primary ? info.station : info.primary).present);
        EXPECT_EQ(primary ? 21 : 31, identity.componentId);
        // Name: P/S, family, then major, minor and variant as two digits each.
        char digits[24];
        std::snprintf(digits, sizeof digits, "%02u%02u%02u", identity.major, identity.minor, identity.variant);
        EXPECT_EQ(std::string(1, primary ? 'P' : 'S'), d->fileName.substr(0, 1));
        EXPECT_EQ(digits, d->fileName.substr(2, 6));
        EXPECT_EQ(d->build, info.buildSequence);

        size_t platforms = 0;
        while (platforms < info.platforms.size() && info.platforms[platforms].present) ++platforms;
        ASSERT_EQ(d->platforms.size(), platforms);
        for (size_t i = 0; i < platforms; ++i) EXPECT_EQ(d->platforms[i].platformId, info.platforms[i].platformId);

        // Primaries supply interface 3 and use 2; stations supply 4 and use 1, 2 and 3.
        const std::vector<bool> expectedPresent =
            primary ? std::vector<bool>{false, false, true, true, false} : std::vector<bool>{false, true, true, true, true};
        for (uint16_t slot = 0; slot < 5; ++slot) {
            EXPECT_EQ(expectedPresent[slot], info.compatibility[slot].present) << "slot " << slot;
        }
        const uint16_t supplied = primary ? 3 : 4;
        EXPECT_EQ(0, info.compatibility[supplied].role);
        EXPECT_EQ(1, info.compatibility[primary ? 2 : 3].role);

        // The identity block the software card reads agrees with the info records.
        const meru::CompatibilitySlot& s = info.compatibility[supplied];
        const Bytes expected =
            LittleEndianWords({0x5856, 0x4449, identity.componentId, identity.variant, identity.major, identity.minor,
                               supplied, s.variant, s.bottom, s.top, 0, 0});
        EXPECT_EQ(expected, testsupport::ReadImageBytes(*loaded->image, d->base + 0x40, 24));
        EXPECT_EQ(Bytes(20, 0), testsupport::ReadImageBytes(*loaded->image, d->base + 0x60, 20));
        EXPECT_EQ(d->base, loaded->image->BlockAt(1).startAddress);
        EXPECT_LE(loaded->image->ByteCount(), 56u * 1024u);

        // Plug records as described, including the file-name plug at base + 0x60.
        ASSERT_EQ(d->plugs.size(), loaded->plugs.Count());
        std::map<uint32_t, uint32_t> described;
        for (const auto& plug : d->plugs) described[plug.target] = plug.code;
        for (const auto& plug : loaded->plugs.Records()) EXPECT_EQ(described[plug.targetAddress], plug.code);
    }
}

TEST_F(ShippedFirmwareTest, EveryImagePlugsCleanlyAgainstARealisticPda) {
    for (const meru::ImageDescription* d : Firmware()) {
        SCOPED_TRACE(d->fileName);
        const uint16_t platform = d->platforms.empty() ? 0x0204 : d->platforms.front().platformId;
        meru::Pda pda = testsupport::RealisticPda(platform);
        ASSERT_EQ(meru::kCalibrationAdded, meru::ComputeCalibrationRecords(pda));

        auto loaded = Load(d->resourceId);
        ASSERT_NE(0u, loaded->lines);
        log.Reset();
        const unsigned plugged = meru::PlugImage(loaded->info, *loaded->image, loaded->plugs, pda, d->fileName.c_str());
        EXPECT_EQ(d->plugs.size() - 1, plugged);
        const std::string text = log.Text();
        EXPECT_EQ(0u, text.rfind("Plugging:  [filename]  ", 0)) << text;
        EXPECT_NE(std::string::npos, text.find("All Entries Plugged!\n")) << text;
        for (const auto& plug : loaded->plugs.Records()) EXPECT_EQ(meru::kPlugDone, plug.status) << plug.code;

        Bytes name(d->fileName.begin(), d->fileName.end());
        name.resize(20, 0);
        EXPECT_EQ(name, testsupport::ReadImageBytes(*loaded->image, d->base + 0x60, 20));
        EXPECT_EQ(testsupport::kRealisticMac, testsupport::ReadImageBytes(*loaded->image, d->base + 0x80, 6));
    }
}

TEST_F(ShippedFirmwareTest, EveryBoardGetsAFittingPairForItsMacType) {
    for (const meru::BoardDescription& board : catalogue.boards) {
        SCOPED_TRACE(board.name);
        meru::Pda pda = testsupport::RealisticPda(board.platformId);
        std::vector<unsigned> chosen;
        ASSERT_EQ(meru::kSelectedBoth,
                  meru::SelectForPlatform(pda, [&](const std::string&, unsigned id) { chosen.push_back(id); }));
        ASSERT_EQ(2u, chosen.size());
        auto primary = Load(chosen[0]);
        auto station = Load(chosen[1]);
        EXPECT_TRUE(meru::InterfaceRangesOverlap(station->info, primary->info));
        const uint32_t base = board.macType == 1 ? 0x3E0000u : 0x7E0000u;
        EXPECT_EQ(base, primary->image->BlockAt(1).startAddress);
    }
}

TEST_F(ShippedFirmwareTest, GenericImageWinsForTheRetiredBoardAndUnknownBoards) {
    // PN010100 names board 0x0204, but the generic PG020000 stands before it.
    EXPECT_EQ(meru::kPlatformListed, meru::IsBuiltForPlatform(158, 0x0204));
    EXPECT_EQ(meru::kNoPlatformRecords, meru::IsBuiltForPlatform(157, 0x0204));
    std::vector<std::string> chosen;
    auto collect = [&](const std::string& name, unsigned) { chosen.push_back(name); };
    EXPECT_EQ(meru::kSelectedBoth, meru::SelectForPlatform(testsupport::RealisticPda(0x0204), collect));
    EXPECT_EQ((std::vector<std::string>{"PG020000.HEX", "SB010402.HEX"}), chosen);

    chosen.clear();
    EXPECT_EQ(meru::kNoStationForPlatform, meru::SelectForPlatform(testsupport::RealisticPda(0x0999), collect));
    EXPECT_EQ((std::vector<std::string>{"PG020000.HEX"}), chosen);
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(ShippedFirmwareTest, SomeStationPrimaryPairsDoNotFit) {
    auto newStation = Load(161);
    auto oldStation = Load(163);
    auto pilotPrimary = Load(158);
    auto secondGeneration = Load(156);
    EXPECT_FALSE(meru::InterfaceRangesOverlap(newStation->info, pilotPrimary->info));
    EXPECT_FALSE(meru::InterfaceRangesOverlap(oldStation->info, secondGeneration->info));
    EXPECT_TRUE(meru::InterfaceRangesOverlap(newStation->info, secondGeneration->info));
}

}  // namespace
