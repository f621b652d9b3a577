#include "CatalogueReport.h"

#include <memory>
#include <set>
#include <vector>

#include "image/Catalogue.h"
#include "image/Compatibility.h"
#include "image/DirectoryResourceSource.h"
#include "image/FirmwareImage.h"
#include "image/ImageInfo.h"
#include "image/Pda.h"
#include "image/PlugRecordList.h"

namespace inspect {

namespace {

// One table entry; collects the platforms it names. False when it does not load.
bool ReportEntry(const meru::CatalogueEntry& entry, std::set<uint16_t>& platforms, FILE* out) {
    auto image = std::make_unique<meru::FirmwareImage>();
    meru::PlugRecordList plugs;
    meru::ImageInfo info;
    if (info.LoadResource(entry.resourceId, image.get(), &plugs) == 0) {
        std::fprintf(out, "  %u  %s  does not load\n", entry.resourceId, entry.fileName);
        return false;
    }
    std::string identity;
    if (info.primary.present) identity += " primary " + info.primary.Text();
    if (info.station.present) identity += " station " + info.station.Text();
    std::fprintf(out, "  %u  %s %s  build %u  %u bytes  %u plugs\n    platforms:", entry.resourceId, entry.fileName,
                 identity.c_str(), info.buildSequence, static_cast<unsigned>(image->ByteCount()),
                 static_cast<unsigned>(plugs.Count()));
    if (!info.platforms[0].present) std::fprintf(out, " none (suits every platform)");
    for (const meru::PlatformSlot& slot : info.platforms) {
        if (!slot.present) break;
        std::fprintf(out, " 0x%04x", slot.platformId);
        platforms.insert(slot.platformId);
    }
    std::string compatibility;
    meru::CompatibilityText(info, compatibility);
    // Each line indented under the entry.
    std::fprintf(out, "\n");
    for (size_t start = 1, end; (end = compatibility.find('\n', start)) != std::string::npos; start = end + 1) {
        std::fprintf(out, "  %s\n", compatibility.substr(start, end - start).c_str());
    }
    return true;
}

bool ReportTable(const char* title, const meru::CatalogueEntry* table, std::set<uint16_t>& platforms, FILE* out) {
    std::fprintf(out, "%s\n", title);
    bool ok = true;
    for (; table->resourceId != 0; ++table) ok = ReportEntry(*table, platforms, out) && ok;
    return ok;
}

void ReportChoice(uint16_t platformId, FILE* out) {
    meru::Pda pda;
    const uint16_t record[] = {5, 0x0008, platformId, 0, 0, 0};
    pda.AddRecord(record);
    std::string chosen;
    const int result = meru::SelectForPlatform(pda, [&chosen](const std::string& name, unsigned id) {
        chosen += "  " + name + " (" + std::to_string(id) + ")";
    });
    std::fprintf(out, "  0x%04x:%s  result %d\n", platformId, chosen.c_str(), result);
}

}  // namespace

bool ReportCatalogue(const std::string& directory, FILE* out) {
    meru::DirectoryResourceSource resources(directory);
    meru::ResourceSource* previous = meru::CurrentResourceSource();
    meru::SetResourceSource(&resources);

    std::fprintf(out, "%s\n", meru::ManifestText().c_str());
    std::set<uint16_t> platforms;
    bool ok = ReportTable("Primary table:", meru::kPrimaryCatalogue, platforms, out);
    ok = ReportTable("Station table:", meru::kStationCatalogue, platforms, out) && ok;

    meru::ImageInfo empty;
    auto image = std::make_unique<meru::FirmwareImage>();
    meru::PlugRecordList plugs;
    const bool emptyLoads = empty.LoadResource(meru::kEmptyImageResourceId, image.get(), &plugs) != 0;
    std::fprintf(out, "Not in a table:\n  %u  %s  %s\n", meru::kEmptyImageResourceId, meru::kEmptyImageFileName,
                 emptyLoads ? "loads (no data)" : "does not load");
    ok = emptyLoads && ok;

    std::fprintf(out, "Choice by platform (0 both, 2 no primary, 3 no station, 4 neither):\n");
    // Every platform an image names, and one that none names.
    platforms.insert(0xFFFF);
    for (uint16_t platformId : platforms) ReportChoice(platformId, out);

    meru::SetResourceSource(previous);
    return ok;
}

}  // namespace inspect
