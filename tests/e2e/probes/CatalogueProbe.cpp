// catalogue-probe: loads every catalogue image from the program's own
// FIRMWARE resources, as meru.exe does, and prints what it found.
//
//   catalogue-probe [DUMP_DIR]
//
// With DUMP_DIR each resource's bytes are written there under its catalogue
// name, for comparison with the source files.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/ImageLoadStop.h"
#include "base/ReportBox.h"
#include "base/SessionLog.h"
#include "image/Catalogue.h"
#include "image/FirmwareImage.h"
#include "image/ImageInfo.h"
#include "image/Pda.h"
#include "image/PlugRecordList.h"
#include "image/win32/Win32ResourceSource.h"

namespace {

class PrintedBoxes : public meru::MessageBoxPort {
public:
    int Show(meru::WindowRef, const char* text, const char* caption, unsigned) override {
        std::printf("box: %s / %s\n", caption != nullptr ? caption : "(none)", text);
        return meru::kAnswerOk;
    }
};

std::vector<unsigned> AllIds() {
    std::vector<unsigned> ids = {meru::kEmptyImageResourceId};
    for (const meru::CatalogueEntry* e = meru::kPrimaryCatalogue; e->resourceId != 0; ++e) ids.push_back(e->resourceId);
    for (const meru::CatalogueEntry* e = meru::kStationCatalogue; e->resourceId != 0; ++e) ids.push_back(e->resourceId);
    return ids;
}

std::string IdentityText(const meru::FirmwareIdentity& identity) {
    return identity.present ? identity.Text() : "-";
}

bool Dump(const std::string& path, const std::string& bytes) {
    FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    return std::fclose(out) == 0 && ok;
}

// "image <id> <name> lines=<n> blocks=<n> bytes=<n> plugs=<n> primary=<v> station=<v> platforms=<n>"
bool ProbeImage(meru::ResourceSource& resources, unsigned id, const char* dumpDir) {
    const char* name = meru::CatalogueFileName(id);
    std::string text;
    if (!resources.Load(id, text)) {
        std::printf("resource %u missing\n", id);
        return false;
    }
    if (dumpDir != nullptr && !Dump(std::string(dumpDir) + "/" + name, text)) {
        std::printf("cannot dump %s\n", name);
        return false;
    }
    auto image = std::make_unique<meru::FirmwareImage>();
    meru::PlugRecordList plugs;
    meru::ImageInfo info;
    const unsigned lines = info.LoadResource(id, image.get(), &plugs);
    unsigned platforms = 0;
    while (platforms < info.platforms.size() && info.platforms[platforms].present) ++platforms;
    std::printf("image %u %s size=%u lines=%u blocks=%u bytes=%u plugs=%u primary=%s station=%s platforms=%u\n", id,
                name, static_cast<unsigned>(text.size()), lines, static_cast<unsigned>(image->BlockCount()),
                static_cast<unsigned>(image->ByteCount()), static_cast<unsigned>(plugs.Count()),
                IdentityText(info.primary).c_str(), IdentityText(info.station).c_str(), platforms);
    return lines != 0;
}

}  // namespace

int main(int argc, char** argv) {
    const char* dumpDir = argc > 1 ? argv[1] : nullptr;
    static meru::Win32ResourceSource resources;
    meru::SetResourceSource(&resources);
    static PrintedBoxes boxes;
    meru::SetMessageBoxPort(&boxes);
    meru::TheSessionLog().SetEnabled(true);
    meru::TheSessionLog().UseStream(stderr);

    bool ok = true;
    for (unsigned id : AllIds()) ok = ProbeImage(resources, id, dumpDir) && ok;

    std::fputs(meru::ManifestText().c_str(), stdout);

    for (uint16_t platform : {uint16_t{0x0101}, uint16_t{0x0204}}) {
        meru::Pda pda;
        const uint16_t record[] = {5, 0x0008, platform, 0, 0, 0};
        pda.AddRecord(record);
        std::string chosen;
        const int result = meru::SelectForPlatform(pda, [&](const std::string& name, unsigned id) {
            chosen += " " + name + "#" + std::to_string(id);
        });
        std::printf("select 0x%04X: %d%s\n", static_cast<unsigned>(platform), result, chosen.c_str());
    }

    // An id the program does not carry.
    meru::ImageInfo missing;
    const unsigned missingLines = missing.LoadResource(999, nullptr, nullptr);
    if (missingLines == 0) meru::ShowImageLoadStop(missing.Failure());  // as the updater does
    std::printf("missing 999: %u\n", missingLines);

    std::fflush(stdout);
    return ok ? 0 : 1;
}
