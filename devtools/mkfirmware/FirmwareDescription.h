#pragma once

#include <cstdint>
#include <istream>
#include <string>
#include <vector>

namespace meru {

// The readable description the embedded firmware images are generated from
// (updater/resources/firmware/catalogue.txt).

// A card design and the MAC controller it carries.
struct BoardDescription {
    uint16_t platformId = 0;
    unsigned macType = 0;  // 1 or 2
    std::string name;
};

struct PlatformEntry {
    uint16_t platformId = 0;
    uint16_t extra[3] = {0, 0, 0};
};

struct CompatibilityEntry {
    uint16_t role = 0;  // 0 supplier, 1 actor
    uint16_t interfaceId = 0;
    uint16_t variant = 0;
    uint16_t bottom = 0;
    uint16_t top = 0;
};

// A run of filler data at consecutive addresses.
struct DataBlock {
    uint32_t start = 0;
    uint32_t length = 0;
};

struct PlugEntry {
    uint32_t code = 0;  // 0xFFFFFFFF: the file-name plug
    uint32_t target = 0;
    uint32_t length = 0;
};

struct MarkerEntry {
    uint32_t region = 0;
    uint32_t length = 0;
    uint32_t flag = 0;
};

enum class ImageKind { Primary, Station, Bare };

struct ImageDescription {
    ImageKind kind = ImageKind::Bare;
    unsigned resourceId = 0;
    std::string fileName;
    unsigned line = 0;  // where the image starts in the description

    bool hasVersion = false;
    uint16_t major = 0, minor = 0, variant = 0;
    uint32_t base = 0;
    uint32_t entry = 0;  // S7 execution address; 0 in every primary and station image
    bool hasBuild = false;
    uint16_t build = 0;
    std::vector<PlatformEntry> platforms;
    std::vector<CompatibilityEntry> compatibility;
    std::vector<DataBlock> blocks;
    std::vector<PlugEntry> plugs;
    std::vector<MarkerEntry> markers;

    uint16_t ComponentId() const;  // 21 primary, 31 station, 0 bare
};

struct CatalogueDescription {
    std::vector<BoardDescription> boards;
    std::vector<ImageDescription> images;  // in table order within each kind
};

// Where the software card expects an image's identity and file name.
constexpr uint32_t kIdentityBlockOffset = 0x40;
constexpr uint32_t kIdentityBlockLength = 24;
constexpr uint32_t kFileNameAreaOffset = 0x60;
constexpr uint32_t kFileNameAreaLength = 20;

constexpr uint32_t kPrimaryBaseMacType1 = 0x3E0000;
constexpr uint32_t kPrimaryBaseMacType2 = 0x7E0000;
constexpr uint32_t kStationBase = 0x100000;

// Parses the text; false with "line N: problem" in error.
bool ParseCatalogueDescription(std::istream& in, CatalogueDescription& catalogue, std::string& error);

// Checks what the updater and the software card rely on: names, versions,
// bases, blocks, execution addresses, plug targets, compatibility records.
// false with the first problem in error.
bool ValidateCatalogueDescription(const CatalogueDescription& catalogue, std::string& error);

}  // namespace meru
