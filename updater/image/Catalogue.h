#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "ImageLoadFailure.h"

namespace meru {

class Pda;

// One embedded image: its FIRMWARE resource id and the 8.3 name it is shown
// and plugged under.
struct CatalogueEntry {
    uint32_t resourceId;
    const char* fileName;
};

// The embedded images in the order they are offered; each table ends with
// the entry {0, ""}.
extern const CatalogueEntry kPrimaryCatalogue[];
extern const CatalogueEntry kStationCatalogue[];

// A resource holding only an execution-address record; no table names it.
constexpr unsigned kEmptyImageResourceId = 142;
constexpr const char* kEmptyImageFileName = "NODATA00.HEX";

// The catalogue name of a resource id (either table, or the empty image),
// nullptr when the id is not one of ours.
const char* CatalogueFileName(unsigned resourceId);

// IsBuiltForPlatform results.
constexpr int kPlatformListed = 1;
constexpr int kPlatformNotListed = 0;  // also: the image could not be loaded
constexpr int kNoPlatformRecords = -1;

// Loads the embedded image completely and looks for the platform id in its
// platform records (slots 0-28, up to the first empty one). A load that
// fails is handed to failed, as it happens.
int IsBuiltForPlatform(unsigned resourceId, uint16_t platformId, const ImageLoadFailureSink& failed = {});

// SelectForPlatform results.
constexpr int kSelectedBoth = 0;
constexpr int kCardHasNoPlatform = 1;
constexpr int kNoPrimaryForPlatform = 2;
constexpr int kNoStationForPlatform = 3;
constexpr int kNothingForPlatform = 4;

// Receives each chosen image: its catalogue name and resource id.
using AddFileCallback = std::function<void(const std::string& name, unsigned resourceId)>;

// Chooses the first primary and the first station image of the tables that
// suit the platform in the card's PDA record 8, and hands them to addFile;
// an image that would not load is handed to failed as it happens.
int SelectForPlatform(const Pda& cardPda, const AddFileCallback& addFile, const ImageLoadFailureSink& failed = {});

// "Manifest of embedded firmware:" with every table entry's name.
std::string ManifestText();

}  // namespace meru
