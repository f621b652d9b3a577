// One line of Motorola S-record text: syntax, checksum, and what the record
// does to the image, the plug list and the info records.
#include <cstring>

#include "FirmwareImage.h"
#include "ImageInfo.h"
#include "PlugRecordList.h"
#include "base/SessionLog.h"

namespace meru {

namespace {

constexpr uint32_t kFirstSpecialAddress = 0xF00000;
constexpr uint32_t kPlugRecordAddress = 0xFF000000;
constexpr uint32_t kMarkerRecordAddress = 0xFF100000;
constexpr uint32_t kInfoRecordMask = 0xFFF00000;
constexpr uint32_t kInfoRecordAddress = 0xFF200000;
constexpr size_t kPlugOrMarkerBytes = 12;
constexpr size_t kMaxDataBytes = 254;
// The word 0xC0DE, little-endian, placed just below a marked region.
constexpr uint8_t kRegionMarker[2] = {0xDE, 0xC0};

enum class RecordKind { kIgnored, kData, kExecution, kUnsupported };

struct RecordType {
    RecordKind kind;
    unsigned addressDigits;
};

RecordType TypeOf(int typeDigit) {
    switch (typeDigit) {
    case 0x0:
    case 0x5: return {RecordKind::kIgnored, 0};
    case 0x1: return {RecordKind::kData, 4};
    case 0x2: return {RecordKind::kData, 6};
    case 0x3: return {RecordKind::kData, 8};
    case 0x7: return {RecordKind::kExecution, 8};
    case 0x8: return {RecordKind::kExecution, 6};
    case 0x9: return {RecordKind::kExecution, 4};
    default: return {RecordKind::kUnsupported, 0};
    }
}

// Value of every character as a hexadecimal digit, -1 for the others.
struct HexDigitTable {
    int8_t value[256];
    constexpr HexDigitTable() : value() {
        for (int c = 0; c < 256; ++c) value[c] = -1;
        for (int c = '0'; c <= '9'; ++c) value[c] = static_cast<int8_t>(c - '0');
        for (int c = 'a'; c <= 'f'; ++c) value[c] = static_cast<int8_t>(c - 'a' + 10);
        for (int c = 'A'; c <= 'F'; ++c) value[c] = static_cast<int8_t>(c - 'A' + 10);
    }
};
constexpr HexDigitTable kHexDigits;

int HexValue(char c) { return kHexDigits.value[static_cast<unsigned char>(c)]; }

// The byte written as two hex digits at text[index], text[index + 1]
// (both known to be hex digits).
uint8_t ByteAt(const char* text, size_t index) {
    return static_cast<uint8_t>((HexValue(text[index]) << 4) | HexValue(text[index + 1]));
}

uint32_t LittleEndian32(const uint8_t* bytes) {
    return static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
           (static_cast<uint32_t>(bytes[2]) << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
}

int LineLengthInvalid(unsigned lineNumber) {
    LogPrintf("ERROR: Line %u: line length invalid.\n", lineNumber);
    return 0;
}

// Appends to the image; 0 when it failed, with outOfRoom set when the image
// has no room left (the updater ends there: an image that cannot be held
// completely must never be programmed).
int Append(FirmwareImage& image, const uint8_t* data, uint32_t address, uint16_t length, unsigned lineNumber,
           bool& outOfRoom) {
    switch (image.Append(data, address, length)) {
    case FirmwareImage::AppendResult::kAppended: return 1;
    case FirmwareImage::AppendResult::kTooManyBlocks:
        LogPrintf("ERROR: Line %u: too many address blocks; an image holds at most %u.\n", lineNumber,
                  static_cast<unsigned>(FirmwareImage::kBlockSlots - 1));
        return 0;
    case FirmwareImage::AppendResult::kPastAddressSpace:
        LogPrintf("ERROR: Line %u: data runs past the end of the address space.\n", lineNumber);
        return 0;
    case FirmwareImage::AppendResult::kEmpty:
    case FirmwareImage::AppendResult::kNoRoom: break;
    }
    outOfRoom = true;
    return 0;
}

int AcceptExecutionAddress(FirmwareImage* image, uint32_t address, unsigned lineNumber) {
    if (image == nullptr) return 1;
    if (!image->HasExecutionAddress()) {
        image->SetExecutionAddress(address);
        return 1;
    }
    if (image->ExecutionAddress() == address) return 1;
    LogPrintf("ERROR: Line %u: 2nd execution address found!\n", lineNumber);
    return 0;
}

}  // namespace

int ImageInfo::ParseLine(FirmwareImage* image, PlugRecordList* plugs, const char* line, unsigned lineNumber) {
    if (line == nullptr) line = "";
    failure_ = {};
    if (ParseRecord(image, plugs, line, std::strlen(line), lineNumber)) return 1;
    Failed(ImageLoadError::kBadRecord, lineNumber);
    return 0;
}

int ImageInfo::ParseRecord(FirmwareImage* image, PlugRecordList* plugs, const char* text, size_t length,
                           unsigned lineNumber) {
    for (size_t i = 1; i < length; ++i) {
        if (HexValue(text[i]) < 0) {
            LogPrintf("Error: Line %u: Bad character found. Cannot process file.\n", lineNumber);
            return 0;
        }
    }
    if (length == 0 || text[0] != 'S') {
        LogPrintf("Error: Line %u: record does not begin with 'S'\n", lineNumber);
        return 0;
    }
    if (length < 2) return LineLengthInvalid(lineNumber);

    const RecordType type = TypeOf(HexValue(text[1]));
    if (type.kind == RecordKind::kUnsupported) {
        LogPrintf("ERROR: Line %u: record type invalid or unsupported.\n", lineNumber);
        return 0;
    }
    if (type.kind == RecordKind::kIgnored) LogPrintf("Info records ignored.\n");

    // Length: the count byte covers address, data and checksum.
    if (length < 4) return LineLengthInvalid(lineNumber);
    const size_t count = ByteAt(text, 2);
    if (count * 2 + 4 != length) return LineLengthInvalid(lineNumber);
    const size_t minimum = type.addressDigits + 6;
    if (type.kind == RecordKind::kExecution ? length != minimum : length < minimum) {
        return LineLengthInvalid(lineNumber);
    }

    // Every byte after the type: count, address, data, checksum; decoded once.
    uint8_t bytes[1 + kMaxDataBytes + 1];
    const size_t byteCount = (length - 2) / 2;
    unsigned sum = 0;
    for (size_t i = 0; i < byteCount; ++i) {
        bytes[i] = ByteAt(text, 2 + 2 * i);
        sum += bytes[i];
    }
    uint32_t address = 0;
    for (size_t i = 0; i < type.addressDigits / 2; ++i) address = (address << 8) | bytes[1 + i];
    const size_t dataCount = (length - minimum) / 2;
    const uint8_t* data = bytes + 1 + type.addressDigits / 2;
    if ((sum & 0xFFu) != 0xFFu) {
        LogPrintf("ERROR: Line %u: Checksum failed.\n", lineNumber);
        return 0;
    }

    if (type.kind == RecordKind::kIgnored) return 1;
    if (type.kind == RecordKind::kExecution) return AcceptExecutionAddress(image, address, lineNumber);

    if (address < kFirstSpecialAddress) {
        // An empty data record is a format error, not a failed append.
        if (dataCount == 0) {
            LogPrintf("ERROR: Line %u: data record without data bytes.\n", lineNumber);
            return 0;
        }
        if (image == nullptr) return 1;
        bool outOfRoom = false;
        if (Append(*image, data, address, static_cast<uint16_t>(dataCount), lineNumber, outOfRoom)) return 1;
        return outOfRoom ? Failed(ImageLoadError::kImageTooLarge, lineNumber) : 0;
    }
    if (address == kPlugRecordAddress) {
        if (dataCount < kPlugOrMarkerBytes) return InvalidRecordFormat(lineNumber);
        if (plugs != nullptr) {
            plugs->Add(LittleEndian32(data), LittleEndian32(data + 4),
                       static_cast<uint16_t>(LittleEndian32(data + 8) & 0xFFFFu));
        }
        return 1;
    }
    if (address == kMarkerRecordAddress) {
        if (dataCount < kPlugOrMarkerBytes) return InvalidRecordFormat(lineNumber);
        const uint32_t region = LittleEndian32(data);
        const uint32_t flag = LittleEndian32(data + 8);
        if (flag == 0 || image == nullptr) return 1;
        const uint32_t markerAddress = region - 2;
        if (image->OverwriteBytes(kRegionMarker, markerAddress, 2)) return 1;
        bool outOfRoom = false;
        if (Append(*image, kRegionMarker, markerAddress, 2, lineNumber, outOfRoom)) return 1;
        return outOfRoom ? Failed(ImageLoadError::kImageTooLarge, lineNumber) : 0;
    }
    if ((address & kInfoRecordMask) == kInfoRecordAddress) return ApplyInfoRecord(data, dataCount, lineNumber);

    LogPrintf("Line %u: Unknown record type\n", lineNumber);
    return 0;
}

}  // namespace meru
