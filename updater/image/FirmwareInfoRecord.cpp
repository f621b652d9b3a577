// Firmware info records: 16-bit little-endian words w0 (number of words
// after it), w1 (record type), then the type's fields.
#include "ImageInfo.h"
#include "base/SessionLog.h"

namespace meru {

namespace {

constexpr uint16_t kMaxInfoWords = 20;

constexpr uint16_t kIdentityRecord = 1;
constexpr uint16_t kCompatibilityRecord = 2;
constexpr uint16_t kBuildSequenceRecord = 3;
constexpr uint16_t kPlatformRecord = 4;

constexpr uint16_t kPrimaryComponent = 21;
constexpr uint16_t kStationComponent = 31;

// Platform records fill slots 0-28; further ones keep overwriting slot 29.
constexpr size_t kFillablePlatformSlots = 29;

void LogUnknownRecord(const uint16_t* words) {
    LogPrintf("Unknown firmware info record - size: %x, type %x; ", words[0], words[1]);
    LogPrintf("Data:  ");
    for (unsigned i = 2; i <= words[0]; ++i) LogPrintf("%x ", words[i]);
    LogPrintf("\n");
}

}  // namespace

int ImageInfo::InvalidRecordFormat(unsigned lineNumber) {
    LogPrintf("Line %u: Invalid record format. \n", lineNumber);
    return 0;
}

int ImageInfo::ApplyInfoRecord(const uint8_t* data, size_t count, unsigned lineNumber) {
    const size_t sizeField = count >= 2 ? (data[0] | (data[1] << 8)) : 0;
    if (count < 2 || sizeField * 2 + 2 != count) {
        LogPrintf("Line %u: Record length does not correspond to size field.\n", lineNumber);
        return 0;
    }
    if (sizeField > kMaxInfoWords) {
        LogPrintf("Line %u: Record length too long.\n", lineNumber);
        return 0;
    }
    // Every record needs its type word, and every known type at least one field.
    if (sizeField < 2) return InvalidRecordFormat(lineNumber);

    uint16_t w[kMaxInfoWords + 1] = {};
    for (size_t i = 0; i <= sizeField; ++i) w[i] = static_cast<uint16_t>(data[2 * i] | (data[2 * i + 1] << 8));

    switch (w[1]) {
    case kIdentityRecord: {
        if (w[0] != 5) return InvalidRecordFormat(lineNumber);
        FirmwareIdentity* identity = w[2] == kPrimaryComponent   ? &primary
                                     : w[2] == kStationComponent ? &station
                                                                 : nullptr;
        if (identity != nullptr) {
            identity->present = true;
            identity->componentId = w[2];
            identity->variant = w[3];
            identity->major = w[4];
            identity->minor = w[5];
        }
        return 1;
    }
    case kCompatibilityRecord: {
        if (w[0] != 6 || w[3] >= kCompatibilitySlots) return InvalidRecordFormat(lineNumber);
        CompatibilitySlot& slot = compatibility[w[3]];
        slot.present = true;
        slot.role = w[2];
        slot.interfaceId = w[3];
        slot.variant = w[4];
        slot.bottom = w[5];
        slot.top = w[6];
        return 1;
    }
    case kBuildSequenceRecord:
        buildSequence = w[2];
        LogPrintf("Build sequence: %u\n", static_cast<unsigned>(buildSequence));
        return 1;
    case kPlatformRecord: {
        if (w[0] != 5) return InvalidRecordFormat(lineNumber);
        size_t index = 0;
        while (index < kFillablePlatformSlots && platforms[index].present) ++index;
        PlatformSlot& slot = platforms[index];
        slot.present = true;
        slot.platformId = w[2];
        slot.extra[0] = w[3];
        slot.extra[1] = w[4];
        slot.extra[2] = w[5];
        return 1;
    }
    default:
        LogUnknownRecord(w);
        return 1;
    }
}

}  // namespace meru
