#include "Plugging.h"

#include <algorithm>
#include <string>
#include <vector>

#include "FirmwareImage.h"
#include "ImageInfo.h"
#include "Pda.h"
#include "PlugRecordList.h"
#include "base/SessionLog.h"

namespace meru {

namespace {

// "1.3.0, 2.1.4" from the identities the image declares, "unknown" without any.
std::string VersionName(const ImageInfo& info) {
    std::string text;
    if (info.primary.present) text = info.primary.Text();
    if (info.primary.present && info.station.present) text += ", ";
    if (info.station.present) text += info.station.Text();
    return text.empty() ? "unknown" : text;
}

// The part after the last "\" or ":".
std::string BaseName(const std::string& path) {
    const size_t cut = path.find_last_of("\\:");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

// n bytes: the upper-cased name, cut to n or padded with zeros.
std::vector<uint8_t> NamePlugBytes(const std::string& name, uint16_t n) {
    std::vector<uint8_t> bytes(n, 0);
    for (size_t j = 0; j < n && j < name.size(); ++j) {
        const char c = name[j];
        bytes[j] = static_cast<uint8_t>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    }
    return bytes;
}

void PlugFileName(PlugRecord& plug, const ImageInfo& info, FirmwareImage& image, const char* fileName) {
    const std::string name = BaseName(fileName != nullptr ? std::string(fileName) : VersionName(info));
    const uint16_t n = std::min(plug.length, kFileNamePlugMaxLength);
    const std::vector<uint8_t> bytes = NamePlugBytes(name, n);
    if (image.OverwriteBytes(bytes.data(), plug.targetAddress, n)) {
        LogPrintf("[filename]  ");
        plug.status = kPlugDone;
    } else {
        LogPrintf("Warning: file name plug does not fit!\n");
        plug.status = kPlugNoTarget;
    }
}

// True when the record was plugged.
bool PlugPdaRecord(PlugRecord& plug, FirmwareImage& image, const Pda& pda) {
    const uint16_t* record = pda.Find(static_cast<uint16_t>(plug.code & 0xFFFFu));
    if (record == nullptr) {
        LogPrintf("(Warning: PDR %x NOT in PDA)\n", static_cast<unsigned>(plug.code));
        plug.status = kPlugMissingPdr;
        return false;
    }
    const long dataBytes = (static_cast<long>(record[0]) - 1) * 2;
    if (dataBytes != plug.length) {
        LogPrintf("(Warning: Length mismatch on PDR %x)", static_cast<unsigned>(plug.code));
        plug.status = kPlugLengthMismatch;
        return false;
    }
    std::vector<uint8_t> bytes(plug.length);
    for (size_t i = 0; i < bytes.size(); ++i) {
        const uint16_t word = record[2 + i / 2];
        bytes[i] = static_cast<uint8_t>(i % 2 == 0 ? word & 0xFFu : word >> 8);
    }
    if (!image.OverwriteBytes(bytes.data(), plug.targetAddress, plug.length)) {
        LogPrintf("Warning: Invalid plug record 0x%x. Target area does not exist.\n",
                  static_cast<unsigned>(plug.code));
        plug.status = kPlugNoTarget;
        return false;
    }
    LogPrintf("(%x ok) ", static_cast<unsigned>(plug.code));
    plug.status = kPlugDone;
    return true;
}

}  // namespace

unsigned PlugImage(const ImageInfo& info, FirmwareImage& image, PlugRecordList& plugs, const Pda& pda,
                   const char* fileName) {
    LogPrintf("Plugging:  ");
    unsigned attempted = 0;
    unsigned plugged = 0;
    plugs.Rewind();
    while (PlugRecord* plug = plugs.Next()) {
        if (plug->code == kFileNamePlugCode) {
            PlugFileName(*plug, info, image, fileName);
            continue;
        }
        ++attempted;
        if (PlugPdaRecord(*plug, image, pda)) ++plugged;
    }
    if (plugged == attempted) LogPrintf("All Entries Plugged!");
    LogPrintf("\n");
    return plugged;
}

}  // namespace meru
