#include "ImageReport.h"

#include "card/AuxRecord.h"
#include "image/FirmwareImage.h"
#include "image/ImageInfo.h"
#include "image/PlugRecordList.h"

namespace inspect {

namespace {

// The flash programmer's transfer size and address boundary.
constexpr uint16_t kFlashChunk = meru::AuxRecord::kMaxData;
constexpr uint32_t kFlashBoundary = meru::AuxRecord::kBlockBoundary;

void PrintIdentity(FILE* out, const char* name, const meru::FirmwareIdentity& identity) {
    if (identity.present) {
        std::fprintf(out, "%s: %s (component %u)\n", name, identity.Text().c_str(), identity.componentId);
    } else {
        std::fprintf(out, "%s: none\n", name);
    }
}

void PrintCompatibility(FILE* out, const meru::ImageInfo& info) {
    std::fprintf(out, "Compatibility:\n");
    bool any = false;
    for (const auto& slot : info.compatibility) {
        if (!slot.present) continue;
        any = true;
        std::fprintf(out, "  interface %u: role %u (%s), range %u-%u, variant %u\n", slot.interfaceId, slot.role,
                     slot.role == 0 ? "supplier" : "actor", slot.bottom, slot.top, slot.variant);
    }
    if (!any) std::fprintf(out, "  none\n");
}

void PrintPlatforms(FILE* out, const meru::ImageInfo& info) {
    std::fprintf(out, "Platforms:");
    bool any = false;
    for (const auto& slot : info.platforms) {
        if (!slot.present) continue;
        any = true;
        std::fprintf(out, " 0x%04x (%u %u %u)", slot.platformId, slot.extra[0], slot.extra[1], slot.extra[2]);
    }
    std::fprintf(out, "%s\n", any ? "" : " none");
}

void PrintBlocks(FILE* out, meru::FirmwareImage& image) {
    std::fprintf(out, "Blocks: %u (%u bytes)\n", image.BlockCount(), static_cast<unsigned>(image.ByteCount()));
    for (uint16_t n = 1; n <= image.BlockCount(); ++n) {
        const auto& block = image.BlockAt(n);
        std::fprintf(out, "  0x%08x  %u bytes\n", static_cast<unsigned>(block.startAddress),
                     static_cast<unsigned>(block.length));
    }
    std::fprintf(out, "Chunks (%u, 0x%x): %u\n", kFlashChunk, static_cast<unsigned>(kFlashBoundary),
                 image.CountChunks(kFlashChunk, kFlashBoundary));
}

void PrintPlugs(FILE* out, meru::PlugRecordList& plugs) {
    std::fprintf(out, "Plug records: %u\n", static_cast<unsigned>(plugs.Count()));
    plugs.Rewind();
    while (const meru::PlugRecord* plug = plugs.Next()) {
        std::fprintf(out, "  code 0x%08x  target 0x%08x  length %u\n", static_cast<unsigned>(plug->code),
                     static_cast<unsigned>(plug->targetAddress), plug->length);
    }
}

}  // namespace

bool ReportImageFile(const std::string& path, FILE* out) {
    meru::FirmwareImage image;
    meru::PlugRecordList plugs;
    meru::ImageInfo info;
    const uint16_t lines = info.LoadFile(path, &image, &plugs);
    if (lines == 0) return false;

    std::fprintf(out, "Lines: %u\n", lines);
    PrintIdentity(out, "Primary", info.primary);
    PrintIdentity(out, "Station", info.station);
    PrintCompatibility(out, info);
    PrintPlatforms(out, info);
    std::fprintf(out, "Build sequence: %u\n", info.buildSequence);
    std::fprintf(out, "Execution address: 0x%08x\n", static_cast<unsigned>(image.ExecutionAddress()));
    PrintBlocks(out, image);
    PrintPlugs(out, plugs);
    return true;
}

}  // namespace inspect
