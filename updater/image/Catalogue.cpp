#include "Catalogue.h"

#include <memory>

#include "FirmwareImage.h"
#include "ImageInfo.h"
#include "Pda.h"
#include "PlugRecordList.h"

namespace meru {

// Table order decides the choice: the first image that suits a platform wins.
// The generic image (no platform records) follows every image for our current
// boards, so it is the choice for unknown boards and for boards named only
// after it. The images themselves are described in
// updater/resources/firmware/catalogue.txt.
const CatalogueEntry kPrimaryCatalogue[] = {
    {152, "PK010400.HEX"},
    {153, "PK010302.HEX"},
    {154, "PL010400.HEX"},
    {155, "PL010206.HEX"},
    {156, "PM020100.HEX"},
    {157, "PG020000.HEX"},
    {158, "PN010100.HEX"},
    {159, "PK010300.HEX"},
    {160, "PL010300.HEX"},
    {0, ""},
};

const CatalogueEntry kStationCatalogue[] = {
    {161, "SA010500.HEX"},
    {162, "SB010402.HEX"},
    {163, "SA010300.HEX"},
    {0, ""},
};

namespace {

constexpr uint16_t kPlatformRecordCode = 0x0008;
// Platform slots 0-28 take part in the choice; slot 29 is the overflow slot.
constexpr size_t kSelectablePlatformSlots = 29;

const char* FindName(const CatalogueEntry* table, unsigned resourceId) {
    for (; table->resourceId != 0; ++table) {
        if (table->resourceId == resourceId) return table->fileName;
    }
    return nullptr;
}

// The first entry whose image suits the platform (or names none); nullptr if none does.
const CatalogueEntry* FirstSuitable(const CatalogueEntry* table, uint16_t platformId,
                                   const ImageLoadFailureSink& failed) {
    for (; table->resourceId != 0; ++table) {
        if (IsBuiltForPlatform(table->resourceId, platformId, failed) != kPlatformNotListed) return table;
    }
    return nullptr;
}

std::string NameLines(const CatalogueEntry* table) {
    std::string text;
    for (; table->resourceId != 0; ++table) {
        text += "\n    ";
        text += table->fileName;
    }
    return text;
}

}  // namespace

const char* CatalogueFileName(unsigned resourceId) {
    if (resourceId == kEmptyImageResourceId) return kEmptyImageFileName;
    if (const char* name = FindName(kPrimaryCatalogue, resourceId)) return name;
    return FindName(kStationCatalogue, resourceId);
}

int IsBuiltForPlatform(unsigned resourceId, uint16_t platformId, const ImageLoadFailureSink& failed) {
    // An image is up to ~200 KB of pages: keep it off the stack.
    auto image = std::make_unique<FirmwareImage>();
    PlugRecordList plugs;
    ImageInfo info;
    if (info.LoadResource(resourceId, image.get(), &plugs) == 0) {
        if (failed) failed(info.Failure());
        return kPlatformNotListed;
    }

    for (size_t slot = 0; slot < kSelectablePlatformSlots; ++slot) {
        const PlatformSlot& platform = info.platforms[slot];
        if (!platform.present) break;
        if (platform.platformId == platformId) return kPlatformListed;
    }
    return info.platforms[0].present ? kPlatformNotListed : kNoPlatformRecords;
}

int SelectForPlatform(const Pda& cardPda, const AddFileCallback& addFile, const ImageLoadFailureSink& failed) {
    const uint16_t* platformRecord = cardPda.Find(kPlatformRecordCode);
    // A record without a data word names no platform either.
    if (platformRecord == nullptr || platformRecord[0] < 2) return kCardHasNoPlatform;
    const uint16_t platformId = platformRecord[2];

    const CatalogueEntry* primary = FirstSuitable(kPrimaryCatalogue, platformId, failed);
    if (primary != nullptr) addFile(primary->fileName, primary->resourceId);
    const CatalogueEntry* station = FirstSuitable(kStationCatalogue, platformId, failed);
    if (station != nullptr) addFile(station->fileName, station->resourceId);

    if (primary != nullptr && station != nullptr) return kSelectedBoth;
    if (primary == nullptr && station == nullptr) return kNothingForPlatform;
    return primary == nullptr ? kNoPrimaryForPlatform : kNoStationForPlatform;
}

std::string ManifestText() {
    return "Manifest of embedded firmware:\nPrimaries:" + NameLines(kPrimaryCatalogue) +
           "\nStations:" + NameLines(kStationCatalogue) + "\n";
}

}  // namespace meru
