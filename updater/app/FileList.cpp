#include "app/FileList.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <memory>

#include "app/ImageLoadStop.h"
#include "app/PdaTexts.h"
#include "image/FirmwareImage.h"
#include "image/ImageInfo.h"
#include "image/Pda.h"
#include "image/PlugRecordList.h"
#include "TextFormat.h"

namespace meru {

namespace {

bool SameTextIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

std::string LowerHex(uint16_t value) {
    char text[8];
    velox::FormatText(text, sizeof text, "%x", static_cast<unsigned>(value));
    return text;
}

// "     ", or the platform (and interface version) a .pda file names.
std::string PdaFileDescription(const std::string& path) {
    std::string description = "     ";
    uint16_t words[Pda::kMaxWords] = {};
    const uint16_t count = ReadPdaTextFile(path, words);
    if (count == 0) return description;
    Pda pda;
    if (pda.ParseWords(words, count) == 0) return description;
    const uint16_t* platform = pda.Find(kPdaPlatform);
    if (platform != nullptr && platform[0] == 5) description = LowerHex(platform[2]);
    const uint16_t* interfaceVersion = pda.Find(kPdaInterfaceVersion);
    if (interfaceVersion != nullptr && interfaceVersion[0] == 2) description += " / " + LowerHex(interfaceVersion[2]);
    return description;
}

}  // namespace

bool HasPdaExtension(const std::string& path) {
    return path.size() >= 4 && SameTextIgnoringCase(path.substr(path.size() - 4), ".pda");
}

FileList::Entry ClassifyFile(const std::string& path, unsigned resourceId) {
    FileList::Entry entry;
    entry.path = path;
    entry.resourceId = resourceId;
    entry.description = " unknown";
    if (HasPdaExtension(path)) {
        entry.typeCode = kFilePda;
        entry.description = PdaFileDescription(path);
        return entry;
    }

    // Only the identities matter here: no pages, no plug records. A load
    // that fails leaves no identity, so the entry stays of unknown kind.
    ImageInfo info;
    const uint16_t lines = resourceId != 0 ? info.LoadResource(resourceId, nullptr, nullptr)
                                           : info.LoadFile(path, nullptr, nullptr);
    if (lines == 0) ShowImageLoadStop(info.Failure());
    entry.typeCode = kFileUnknownImage;
    if (info.station.present) {
        entry.typeCode = kFileStation;
        entry.description = info.station.Text();
    }
    if (info.primary.present) {
        entry.typeCode = kFilePrimary;
        entry.description = info.primary.Text();
        if (info.station.present) {
            entry.typeCode = kFilePrimaryAndStation;
            entry.description += " / " + info.station.Text();
        }
    }
    return entry;
}

void FileList::MakeRoomFor(const Entry& entry) {
    const int code = entry.typeCode;
    if (code == kFilePda || code == kFileUnknownImage) {
        // Within the run of this code's entries, the same path goes.
        auto it = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.typeCode == code; });
        for (; it != entries_.end() && it->typeCode == code; ++it) {
            if (SameTextIgnoringCase(it->path, entry.path)) {
                entries_.erase(it);
                return;
            }
        }
        return;
    }
    entries_.erase(std::remove_if(entries_.begin(), entries_.end(),
                                  [&](const Entry& e) {
                                      if (e.typeCode == kFilePrimaryAndStation) return true;
                                      if (code == kFilePrimaryAndStation) {
                                          return e.typeCode == kFilePrimary || e.typeCode == kFileStation;
                                      }
                                      return e.typeCode == code;
                                  }),
                   entries_.end());
}

void FileList::Insert(const Entry& entry) {
    MakeRoomFor(entry);
    auto position = std::find_if(entries_.begin(), entries_.end(),
                                 [&](const Entry& e) { return e.typeCode > entry.typeCode; });
    entries_.insert(position, entry);
}

void FileList::Remove(std::vector<int> positions) {
    std::sort(positions.begin(), positions.end());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
    for (auto it = positions.rbegin(); it != positions.rend(); ++it) {
        if (*it >= 0 && *it < Count()) entries_.erase(entries_.begin() + *it);
    }
}

int FileList::FirstOfType(int typeCode) const {
    for (int i = 0; i < Count(); ++i) {
        if (entries_[static_cast<size_t>(i)].typeCode == typeCode) return i;
    }
    return -1;
}

const FileList::Entry* FileList::At(int position) const {
    if (position < 0 || position >= Count()) return nullptr;
    return &entries_[static_cast<size_t>(position)];
}

}  // namespace meru
