#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "catalogue/FakeResources.h"
#include "support/LogCapture.h"
#include "support/RecordingMessageBoxes.h"
#include "image/Catalogue.h"
#include "image/Pda.h"

namespace {

using meru::ImageKind;
using testsupport::FakeResources;
using testsupport::TestImageText;

using Choice = std::vector<std::pair<std::string, unsigned>>;

void AddPlatformRecord(meru::Pda& pda, uint16_t platformId) {
    const uint16_t record[] = {5, 0x0008, platformId, 0, 0, 0};
    pda.AddRecord(record);
}

struct Selection {
    int result;
    Choice chosen;
    std::vector<meru::ImageLoadError> failures;  // handed over as they happened
};

Selection Select(const meru::Pda& pda) {
    Selection selection;
    selection.result = meru::SelectForPlatform(
        pda, [&](const std::string& name, unsigned id) { selection.chosen.emplace_back(name, id); },
        [&](const meru::ImageLoadFailure& failure) { selection.failures.push_back(failure.error); });
    return selection;
}

Selection SelectFor(uint16_t platformId) {
    meru::Pda pda;
    AddPlatformRecord(pda, platformId);
    return Select(pda);
}

class CatalogueTest : public ::testing::Test {
protected:
    // Fills every table slot with an image that suits no platform used below.
    void SetUp() override {
        for (unsigned id = 152; id <= 163; ++id) {
            resources.texts[id] = TestImageText(id <= 160 ? ImageKind::Primary : ImageKind::Station, {0x7777});
        }
    }
    void Serve(unsigned id, const std::vector<uint16_t>& platforms) {
        resources.texts[id] = TestImageText(id <= 160 ? ImageKind::Primary : ImageKind::Station, platforms);
    }

    testsupport::LogCapture log;
    testsupport::RecordingMessageBoxes boxes;
    FakeResources resources;
};

TEST(CatalogueTables, HoldNinePrimariesAndThreeStationsInResourceOrder) {
    std::vector<unsigned> primaryIds, stationIds;
    for (const meru::CatalogueEntry* e = meru::kPrimaryCatalogue; e->resourceId != 0; ++e) {
        primaryIds.push_back(e->resourceId);
        EXPECT_EQ('P', e->fileName[0]) << e->fileName;
        EXPECT_EQ(12u, std::string(e->fileName).size()) << e->fileName;
    }
    for (const meru::CatalogueEntry* e = meru::kStationCatalogue; e->resourceId != 0; ++e) {
        stationIds.push_back(e->resourceId);
        EXPECT_EQ('S', e->fileName[0]) << e->fileName;
        EXPECT_EQ(12u, std::string(e->fileName).size()) << e->fileName;
    }
    EXPECT_EQ((std::vector<unsigned>{152, 153, 154, 155, 156, 157, 158, 159, 160}), primaryIds);
    EXPECT_EQ((std::vector<unsigned>{161, 162, 163}), stationIds);
    EXPECT_STREQ("", meru::kPrimaryCatalogue[9].fileName);
    EXPECT_STREQ("", meru::kStationCatalogue[3].fileName);

    EXPECT_STREQ("NODATA00.HEX", meru::CatalogueFileName(142));
    EXPECT_STREQ(meru::kStationCatalogue[2].fileName, meru::CatalogueFileName(163));
    EXPECT_EQ(nullptr, meru::CatalogueFileName(0));
    EXPECT_EQ(nullptr, meru::CatalogueFileName(164));
}

TEST(CatalogueManifest, ListsEveryNameOnItsOwnIndentedLine) {
    std::string expected = "Manifest of embedded firmware:\nPrimaries:";
    for (const meru::CatalogueEntry* e = meru::kPrimaryCatalogue; e->resourceId != 0; ++e) {
        expected += std::string("\n    ") + e->fileName;
    }
    expected += "\nStations:";
    for (const meru::CatalogueEntry* e = meru::kStationCatalogue; e->resourceId != 0; ++e) {
        expected += std::string("\n    ") + e->fileName;
    }
    expected += "\n";
    EXPECT_EQ(expected, meru::ManifestText());

    // 1 heading + "Primaries:" + 9 names + "Stations:" + 3 names.
    const std::string manifest = meru::ManifestText();
    size_t indented = 0;
    for (size_t at = manifest.find("\n    "); at != std::string::npos; at = manifest.find("\n    ", at + 1)) {
        ++indented;
    }
    EXPECT_EQ(12u, indented);
}

TEST_F(CatalogueTest, IsBuiltForPlatformTellsListedUnlistedAndPlatformless) {
    Serve(152, {0x0201, 0x0202});
    Serve(153, {});
    EXPECT_EQ(meru::kPlatformListed, meru::IsBuiltForPlatform(152, 0x0202));
    EXPECT_EQ(meru::kPlatformNotListed, meru::IsBuiltForPlatform(152, 0x0203));
    EXPECT_EQ(meru::kNoPlatformRecords, meru::IsBuiltForPlatform(153, 0x0203));
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(CatalogueTest, IsBuiltForPlatformLooksAtSlotsUpTo28Only) {
    // 31 platform records: the reader keeps 29 in slots 0-28 and overwrites
    // slot 29 with each further one.
    std::vector<uint16_t> many;
    for (uint16_t i = 0; i < 31; ++i) many.push_back(static_cast<uint16_t>(0x1000 + i));
    Serve(152, many);
    EXPECT_EQ(meru::kPlatformListed, meru::IsBuiltForPlatform(152, 0x1000));
    EXPECT_EQ(meru::kPlatformListed, meru::IsBuiltForPlatform(152, 0x101C));  // slot 28
    EXPECT_EQ(meru::kPlatformNotListed, meru::IsBuiltForPlatform(152, 0x101E));  // only in slot 29
}

TEST_F(CatalogueTest, UnloadableImageCountsAsNotBuiltForThePlatform) {
    std::vector<meru::ImageLoadFailure> failures;
    const auto record = [&](const meru::ImageLoadFailure& failure) { failures.push_back(failure); };
    resources.texts.erase(152);
    EXPECT_EQ(meru::kPlatformNotListed, meru::IsBuiltForPlatform(152, 0x7777, record));

    // A syntax error fails the load as well, with the error in the log.
    Serve(153, {});
    resources.texts[153].insert(0, "S3 bad line\r\n");
    EXPECT_EQ(meru::kPlatformNotListed, meru::IsBuiltForPlatform(153, 0x7777, record));
    EXPECT_NE(std::string::npos, log.Text().find("Error: Line 1: Bad character found."));

    // Each failure is handed over with its reason and line; the catalogue
    // shows nothing itself.
    ASSERT_EQ(2u, failures.size());
    EXPECT_EQ(meru::ImageLoadError::kResourceMissing, failures[0].error);
    EXPECT_EQ(meru::ImageLoadError::kBadRecord, failures[1].error);
    EXPECT_EQ(1u, failures[1].line);
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(CatalogueTest, CardWithoutPlatformRecordGetsNoChoice) {
    meru::Pda pda;
    const uint16_t serial[] = {7, 0x0003, 'A', 'B', 'C', 0, 0, 0};
    pda.AddRecord(serial);
    const Selection selection = Select(pda);
    EXPECT_EQ(meru::kCardHasNoPlatform, selection.result);
    EXPECT_TRUE(selection.chosen.empty());
    EXPECT_TRUE(resources.loads.empty());
}

TEST_F(CatalogueTest, FirstSuitableImageOfEachTableIsChosenPrimaryFirst) {
    Serve(155, {0x0300});
    Serve(158, {0x0300, 0x0301});
    Serve(162, {0x0301, 0x0300});
    Serve(163, {0x0300});
    const Selection selection = SelectFor(0x0300);
    EXPECT_EQ(meru::kSelectedBoth, selection.result);
    EXPECT_EQ((Choice{{meru::kPrimaryCatalogue[3].fileName, 155}, {meru::kStationCatalogue[1].fileName, 162}}),
              selection.chosen);
    // The walk stops at the first suitable entry of each table.
    EXPECT_EQ((std::vector<unsigned>{152, 153, 154, 155, 161, 162}), resources.loads);
}

TEST_F(CatalogueTest, PlatformlessImageEarlyInTableWinsOverLaterSpecificOne) {
    Serve(153, {});
    Serve(156, {0x0300});
    Serve(161, {0x0300});
    const Selection selection = SelectFor(0x0300);
    EXPECT_EQ(meru::kSelectedBoth, selection.result);
    ASSERT_EQ(2u, selection.chosen.size());
    EXPECT_EQ(153u, selection.chosen[0].second);
}

TEST_F(CatalogueTest, ReportsWhichTableHadNothingForThePlatform) {
    Serve(163, {0x0300});
    Selection selection = SelectFor(0x0300);
    EXPECT_EQ(meru::kNoPrimaryForPlatform, selection.result);
    EXPECT_EQ((Choice{{meru::kStationCatalogue[2].fileName, 163}}), selection.chosen);

    Serve(163, {0x7777});
    Serve(160, {0x0300});
    selection = SelectFor(0x0300);
    EXPECT_EQ(meru::kNoStationForPlatform, selection.result);
    EXPECT_EQ((Choice{{meru::kPrimaryCatalogue[8].fileName, 160}}), selection.chosen);

    Serve(160, {0x7777});
    selection = SelectFor(0x0300);
    EXPECT_EQ(meru::kNothingForPlatform, selection.result);
    EXPECT_TRUE(selection.chosen.empty());
}

TEST_F(CatalogueTest, MissingResourceIsSkippedAndTheWalkGoesOn) {
    resources.texts.erase(152);
    Serve(153, {0x0300});
    Serve(161, {0x0300});
    const Selection selection = SelectFor(0x0300);
    EXPECT_EQ(meru::kSelectedBoth, selection.result);
    EXPECT_EQ(153u, selection.chosen.at(0).second);
    EXPECT_EQ(std::vector<meru::ImageLoadError>{meru::ImageLoadError::kResourceMissing}, selection.failures);
    EXPECT_TRUE(boxes.boxes.empty());
}

}  // namespace
