// Checks a firmware description against what the updater and the software
// card rely on, so that a mistake in the description stops the generator
// instead of producing an image that fails later on a card.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "FirmwareDescription.h"

namespace meru {

namespace {

constexpr uint32_t kFileNamePlug = 0xFFFFFFFFu;
// Largest data size of one shipped image.
constexpr uint32_t kMaxImageBytes = 56 * 1024;
// A primary image must stay below the CIS at base + 0xFE00.
constexpr uint32_t kPrimaryWindow = 0xFE00;
constexpr uint32_t kStationWindow = 0x20000;

// Data lengths in bytes of the PDA records the images plug; 0: any even length.
const std::map<uint32_t, uint32_t> kPlugLengths = {
    {0x0001, 0}, {0x0002, 2}, {0x0003, 12}, {0x0008, 8}, {0x0101, 6}, {0x0103, 12}, {0x0300, 28}, {0x0301, 34},
};

class Checker {
public:
    Checker(const ImageDescription& image, std::string& error) : image_(image), error_(error) {}

    bool Fail(const std::string& problem) {
        error_ = image_.fileName + " (line " + std::to_string(image_.line) + "): " + problem;
        return false;
    }

    // [start, start + length) lies in the data blocks.
    bool Covered(uint32_t start, uint32_t length) const {
        for (const DataBlock& block : image_.blocks) {
            if (start >= block.start && uint64_t{start} + length <= uint64_t{block.start} + block.length) return true;
        }
        return false;
    }

    bool CheckName() {
        const std::string& name = image_.fileName;
        if (name.size() != 12 || name.compare(8, 4, ".HEX") != 0) return Fail("name must be 8 characters + .HEX");
        for (size_t i = 0; i < 8; ++i) {
            const unsigned char c = static_cast<unsigned char>(name[i]);
            if (!std::isupper(c) && !std::isdigit(c)) return Fail("name must be upper-case letters and digits");
        }
        if (image_.kind == ImageKind::Bare) return true;
        const char expectedFirst = image_.kind == ImageKind::Primary ? 'P' : 'S';
        if (name[0] != expectedFirst) return Fail(std::string("name must begin with ") + expectedFirst);
        const bool versionDigits = std::all_of(name.begin() + 2, name.begin() + 8,
                                               [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
        if (versionDigits) {
            char expected[8];
            std::snprintf(expected, sizeof expected, "%02u%02u%02u", image_.major % 100u, image_.minor % 100u,
                          image_.variant % 100u);
            if (name.compare(2, 6, expected) != 0 || image_.major > 99 || image_.minor > 99 || image_.variant > 99) {
                return Fail("name digits do not match version");
            }
        }
        return true;
    }

    bool CheckBlocks(uint32_t window) {
        if (image_.blocks.empty()) return Fail("no data blocks");
        if (image_.blocks.front().start != image_.base) return Fail("first block must start at the base");
        uint64_t total = 0;
        for (size_t i = 0; i < image_.blocks.size(); ++i) {
            const DataBlock& block = image_.blocks[i];
            const uint64_t end = uint64_t{block.start} + block.length;
            if (block.length == 0) return Fail("empty block");
            if (block.start < image_.base || end > uint64_t{image_.base} + window) {
                return Fail("block outside the image's flash window");
            }
            // In ascending order with gaps, so every block stays a block of its own.
            if (i > 0) {
                const DataBlock& previous = image_.blocks[i - 1];
                if (block.start <= previous.start + previous.length) return Fail("blocks must ascend with gaps");
            }
            total += block.length;
        }
        if (total > kMaxImageBytes) return Fail("image holds more than 56 KB of data");
        return true;
    }

    // The updater writes an image into flash only when its S7 record carries
    // execution address 0; any other address marks a RAM download, which the
    // programming run refuses.
    bool CheckExecutionAddress() {
        if (image_.entry == 0) return true;
        char address[16];
        std::snprintf(address, sizeof address, "0x%X", static_cast<unsigned>(image_.entry));
        return Fail(std::string("execution address ") + address +
                    " must be 0: the updater refuses an image with any other as a RAM download");
    }

    bool CheckCompatibility(uint16_t suppliedInterface, const std::set<uint16_t>& usedInterfaces) {
        std::set<uint16_t> seen;
        bool supplies = false;
        std::set<uint16_t> uses;
        for (const CompatibilityEntry& entry : image_.compatibility) {
            if (entry.interfaceId > 4) return Fail("interface id above 4");
            if (entry.bottom > entry.top) return Fail("range bottom above top");
            if (!seen.insert(entry.interfaceId).second) return Fail("two records for one interface");
            if (entry.role == 0 && entry.interfaceId == suppliedInterface) supplies = true;
            if (entry.role == 1) uses.insert(entry.interfaceId);
        }
        if (!supplies) return Fail("must supply interface " + std::to_string(suppliedInterface));
        if (uses != usedInterfaces) return Fail("wrong set of actor records");
        return true;
    }

    bool CheckPlatforms(const std::map<uint16_t, unsigned>& macTypes) {
        if (image_.platforms.size() > 29) return Fail("more than 29 platforms");
        std::set<uint16_t> seen;
        for (const PlatformEntry& platform : image_.platforms) {
            auto board = macTypes.find(platform.platformId);
            if (board == macTypes.end()) return Fail("platform not declared as a board");
            if (!seen.insert(platform.platformId).second) return Fail("platform named twice");
            if (image_.kind == ImageKind::Primary) {
                const uint32_t base = board->second == 1 ? kPrimaryBaseMacType1 : kPrimaryBaseMacType2;
                if (image_.base != base) return Fail("base does not suit the MAC type of its platforms");
            }
        }
        if (image_.kind == ImageKind::Primary && image_.platforms.empty() && image_.base != kPrimaryBaseMacType1 &&
            image_.base != kPrimaryBaseMacType2) {
            return Fail("base must be a primary base");
        }
        if (image_.kind == ImageKind::Station && image_.base != kStationBase) return Fail("station base must be 0x100000");
        return true;
    }

    bool CheckPlugs() {
        const uint32_t identity = image_.base + kIdentityBlockOffset;
        if (!Covered(identity, kIdentityBlockLength)) return Fail("identity block outside the data");
        std::vector<std::pair<uint32_t, uint32_t>> used = {{identity, identity + kIdentityBlockLength}};
        unsigned fileNamePlugs = 0;
        for (const PlugEntry& plug : image_.plugs) {
            if (plug.code == kFileNamePlug) {
                ++fileNamePlugs;
                if (plug.target != image_.base + kFileNameAreaOffset || plug.length == 0 ||
                    plug.length > kFileNameAreaLength) {
                    return Fail("file-name plug must target base + 0x60 with at most 20 bytes");
                }
            } else {
                auto known = kPlugLengths.find(plug.code);
                if (known == kPlugLengths.end()) return Fail("plug for a PDR code the catalogue does not know");
                if (known->second != 0 ? plug.length != known->second : plug.length % 2 != 0) {
                    return Fail("plug length does not match the PDA record");
                }
            }
            if (!Covered(plug.target, plug.length)) return Fail("plug target outside the data blocks");
            for (const auto& range : used) {
                if (plug.target < range.second && plug.target + plug.length > range.first) {
                    return Fail("plug target overlaps another plug or the identity block");
                }
            }
            used.push_back({plug.target, plug.target + plug.length});
        }
        if (fileNamePlugs != 1) return Fail("exactly one file-name plug needed");
        return true;
    }

    bool CheckMarkers() {
        for (const MarkerEntry& marker : image_.markers) {
            const bool startsBlock = std::any_of(image_.blocks.begin(), image_.blocks.end(),
                                                 [&](const DataBlock& b) { return b.start == marker.region; });
            if (marker.flag == 0 || !startsBlock || Covered(marker.region - 2, 2)) {
                return Fail("a marker must flag the start of a block that has a gap below it");
            }
        }
        return true;
    }

private:
    const ImageDescription& image_;
    std::string& error_;
};

bool CheckFirmware(const ImageDescription& image, const std::map<uint16_t, unsigned>& macTypes, std::string& error) {
    Checker check(image, error);
    if (!check.CheckName()) return false;
    if (!image.hasVersion || !image.hasBuild) return check.Fail("version and build are required");
    const bool primary = image.kind == ImageKind::Primary;
    return check.CheckPlatforms(macTypes) && check.CheckBlocks(primary ? kPrimaryWindow : kStationWindow) &&
           check.CheckExecutionAddress() &&
           check.CheckCompatibility(primary ? 3 : 4, primary ? std::set<uint16_t>{2} : std::set<uint16_t>{1, 2, 3}) &&
           check.CheckPlugs() && check.CheckMarkers();
}

bool CheckBare(const ImageDescription& image, std::string& error) {
    Checker check(image, error);
    if (!check.CheckName()) return false;
    if (image.hasVersion || !image.blocks.empty() || !image.plugs.empty() || !image.platforms.empty() ||
        !image.compatibility.empty() || !image.markers.empty()) {
        return check.Fail("a bare image holds only its entry address");
    }
    return true;
}

}  // namespace

bool ValidateCatalogueDescription(const CatalogueDescription& catalogue, std::string& error) {
    std::map<uint16_t, unsigned> macTypes;
    for (const BoardDescription& board : catalogue.boards) {
        if (board.macType != 1 && board.macType != 2) {
            error = "board " + std::to_string(board.platformId) + ": MAC type must be 1 or 2";
            return false;
        }
        if (!macTypes.emplace(board.platformId, board.macType).second) {
            error = "board " + std::to_string(board.platformId) + " declared twice";
            return false;
        }
    }
    std::set<unsigned> ids;
    std::set<std::string> names;
    for (const ImageDescription& image : catalogue.images) {
        if (image.resourceId == 0 || !ids.insert(image.resourceId).second ||
            !names.insert(image.fileName).second) {
            error = image.fileName + ": resource id and name must be unique and non-zero";
            return false;
        }
        const bool ok = image.kind == ImageKind::Bare ? CheckBare(image, error) : CheckFirmware(image, macTypes, error);
        if (!ok) return false;
    }
    return true;
}

}  // namespace meru
