#pragma once

#include <map>
#include <string>
#include <vector>

#include "FirmwareDescription.h"
#include "ImageGenerator.h"
#include "image/ResourceSource.h"

namespace testsupport {

// Serves resource texts set by the test and records which ids were asked for.
// Installed as the resource source for its lifetime.
class FakeResources : public meru::ResourceSource {
public:
    FakeResources() : previous_(meru::CurrentResourceSource()) { meru::SetResourceSource(this); }
    ~FakeResources() override { meru::SetResourceSource(previous_); }

    bool Load(unsigned id, std::string& text) override {
        loads.push_back(id);
        auto found = texts.find(id);
        if (found == texts.end()) return false;
        text = found->second;
        return true;
    }

    std::map<unsigned, std::string> texts;
    std::vector<unsigned> loads;

private:
    meru::ResourceSource* previous_;
};

// A small loadable primary or station image built for the given platforms
// (none: an image that names no platform).
inline std::string TestImageText(meru::ImageKind kind, const std::vector<uint16_t>& platforms) {
    meru::ImageDescription image;
    image.kind = kind;
    image.fileName = kind == meru::ImageKind::Primary ? "PT010000.HEX" : "ST010000.HEX";
    image.hasVersion = true;
    image.major = 1;
    image.base = kind == meru::ImageKind::Primary ? meru::kPrimaryBaseMacType2 : meru::kStationBase;
    image.blocks.push_back({image.base, 0x100});
    for (uint16_t id : platforms) {
        meru::PlatformEntry entry;
        entry.platformId = id;
        image.platforms.push_back(entry);
    }
    return meru::GenerateImageText(image);
}

}  // namespace testsupport
