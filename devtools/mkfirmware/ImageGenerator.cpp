#include "ImageGenerator.h"

#include <algorithm>
#include <cstdio>

namespace meru {

namespace {

constexpr uint32_t kPlugRecordAddress = 0xFF000000u;
constexpr uint32_t kMarkerRecordAddress = 0xFF100000u;
constexpr uint32_t kInfoRecordAddress = 0xFF200000u;
constexpr size_t kBytesPerLine = 16;

constexpr uint16_t kInfoIdentity = 1;
constexpr uint16_t kInfoCompatibility = 2;
constexpr uint16_t kInfoBuildSequence = 3;
constexpr uint16_t kInfoPlatform = 4;

// xorshift32 seeded with the FNV-1a hash of the image's name: the same name
// always gives the same bytes, different names give different images.
class Filler {
public:
    explicit Filler(const std::string& seed) {
        uint32_t hash = 2166136261u;
        for (unsigned char c : seed) hash = (hash ^ c) * 16777619u;
        state_ = hash != 0 ? hash : 0x9E3779B9u;
    }
    uint8_t Next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return static_cast<uint8_t>(state_ >> 24);
    }

private:
    uint32_t state_;
};

void PutWord(std::vector<uint8_t>& bytes, uint16_t word) {
    bytes.push_back(static_cast<uint8_t>(word & 0xFFu));
    bytes.push_back(static_cast<uint8_t>(word >> 8));
}

void PutLong(std::vector<uint8_t>& bytes, uint32_t value) {
    PutWord(bytes, static_cast<uint16_t>(value & 0xFFFFu));
    PutWord(bytes, static_cast<uint16_t>(value >> 16));
}

// Writes bytes over [address, address + size) wherever it lies in the blocks.
void Place(std::vector<GeneratedBlock>& blocks, uint32_t address, const std::vector<uint8_t>& bytes) {
    for (GeneratedBlock& block : blocks) {
        for (size_t i = 0; i < bytes.size(); ++i) {
            const uint64_t at = uint64_t{address} + i;
            if (at >= block.start && at < block.start + uint64_t{block.bytes.size()}) {
                block.bytes[static_cast<size_t>(at - block.start)] = bytes[i];
            }
        }
    }
}

const CompatibilityEntry* SuppliedInterface(const ImageDescription& image) {
    for (const CompatibilityEntry& entry : image.compatibility) {
        if (entry.role == 0) return &entry;
    }
    return nullptr;
}

// {w0, type, words...}: w0 counts the words after itself.
std::vector<uint8_t> InfoRecord(uint16_t type, const std::vector<uint16_t>& words) {
    std::vector<uint8_t> bytes;
    PutWord(bytes, static_cast<uint16_t>(words.size() + 1));
    PutWord(bytes, type);
    for (uint16_t word : words) PutWord(bytes, word);
    return bytes;
}

std::vector<std::vector<uint8_t>> InfoRecords(const ImageDescription& image) {
    std::vector<std::vector<uint8_t>> records;
    records.push_back(InfoRecord(kInfoIdentity, {image.ComponentId(), image.variant, image.major, image.minor}));
    for (const CompatibilityEntry& c : image.compatibility) {
        records.push_back(InfoRecord(kInfoCompatibility, {c.role, c.interfaceId, c.variant, c.bottom, c.top}));
    }
    records.push_back(InfoRecord(kInfoBuildSequence, {image.build}));
    for (const PlatformEntry& p : image.platforms) {
        records.push_back(InfoRecord(kInfoPlatform, {p.platformId, p.extra[0], p.extra[1], p.extra[2]}));
    }
    return records;
}

std::vector<uint8_t> ThreeLongs(uint32_t a, uint32_t b, uint32_t c) {
    std::vector<uint8_t> bytes;
    PutLong(bytes, a);
    PutLong(bytes, b);
    PutLong(bytes, c);
    return bytes;
}

}  // namespace

std::string SRecordLine(char type, uint32_t address, const uint8_t* data, size_t length) {
    std::vector<uint8_t> body;
    body.push_back(static_cast<uint8_t>(4 + length + 1));
    for (int shift = 24; shift >= 0; shift -= 8) body.push_back(static_cast<uint8_t>(address >> shift));
    body.insert(body.end(), data, data + length);
    unsigned sum = 0;
    for (uint8_t b : body) sum += b;
    body.push_back(static_cast<uint8_t>(~sum & 0xFFu));

    std::string line = std::string("S") + type;
    char hex[3];
    for (uint8_t b : body) {
        std::snprintf(hex, sizeof hex, "%02X", b);
        line += hex;
    }
    return line + "\r\n";
}

std::vector<uint8_t> IdentityBlock(const ImageDescription& image) {
    std::vector<uint8_t> bytes = {'V', 'X', 'I', 'D'};
    PutWord(bytes, image.ComponentId());
    PutWord(bytes, image.variant);
    PutWord(bytes, image.major);
    PutWord(bytes, image.minor);
    const CompatibilityEntry* supplied = SuppliedInterface(image);
    PutWord(bytes, supplied != nullptr ? supplied->interfaceId : 0);
    PutWord(bytes, supplied != nullptr ? supplied->variant : 0);
    PutWord(bytes, supplied != nullptr ? supplied->bottom : 0);
    PutWord(bytes, supplied != nullptr ? supplied->top : 0);
    PutLong(bytes, 0);
    return bytes;
}

std::vector<GeneratedBlock> GenerateImageData(const ImageDescription& image) {
    Filler filler(image.fileName);
    std::vector<GeneratedBlock> blocks;
    for (const DataBlock& block : image.blocks) {
        GeneratedBlock generated;
        generated.start = block.start;
        generated.bytes.resize(block.length);
        for (uint8_t& b : generated.bytes) b = filler.Next();
        blocks.push_back(std::move(generated));
    }
    if (image.kind == ImageKind::Bare) return blocks;
    Place(blocks, image.base + kIdentityBlockOffset, IdentityBlock(image));
    Place(blocks, image.base + kFileNameAreaOffset, std::vector<uint8_t>(kFileNameAreaLength, 0));
    for (const PlugEntry& plug : image.plugs) Place(blocks, plug.target, std::vector<uint8_t>(plug.length, 0));
    return blocks;
}

std::string GenerateImageText(const ImageDescription& image) {
    std::string text;
    if (image.kind != ImageKind::Bare) {
        uint32_t infoAddress = kInfoRecordAddress;
        for (const std::vector<uint8_t>& record : InfoRecords(image)) {
            text += SRecordLine('3', infoAddress, record.data(), record.size());
            infoAddress += static_cast<uint32_t>(record.size());
        }
        for (const PlugEntry& plug : image.plugs) {
            const std::vector<uint8_t> record = ThreeLongs(plug.code, plug.target, plug.length);
            text += SRecordLine('3', kPlugRecordAddress, record.data(), record.size());
        }
        for (const GeneratedBlock& block : GenerateImageData(image)) {
            for (size_t offset = 0; offset < block.bytes.size(); offset += kBytesPerLine) {
                const size_t length = std::min(kBytesPerLine, block.bytes.size() - offset);
                text += SRecordLine('3', block.start + static_cast<uint32_t>(offset), &block.bytes[offset], length);
            }
        }
        // After the data, so each flag word lands in a block of its own below its region.
        for (const MarkerEntry& marker : image.markers) {
            const std::vector<uint8_t> record = ThreeLongs(marker.region, marker.length, marker.flag);
            text += SRecordLine('3', kMarkerRecordAddress, record.data(), record.size());
        }
    }
    return text + SRecordLine('7', image.entry, nullptr, 0);
}

std::string GenerateResourceScript(const CatalogueDescription& catalogue) {
    std::string script =
        "// Generated by devtools/mkfirmware from catalogue.txt: do not edit.\n"
        "// Every image is the FIRMWARE resource \"#<id>\" of the program.\n";
    std::vector<const ImageDescription*> byId;
    for (const ImageDescription& image : catalogue.images) byId.push_back(&image);
    std::sort(byId.begin(), byId.end(),
              [](const ImageDescription* a, const ImageDescription* b) { return a->resourceId < b->resourceId; });
    for (const ImageDescription* image : byId) {
        script += std::to_string(image->resourceId) + " FIRMWARE \"" + image->fileName + "\"\n";
    }
    return script;
}

}  // namespace meru
