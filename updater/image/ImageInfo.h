#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "FirmwareIdentity.h"
#include "ImageLoadFailure.h"

namespace meru {

class FirmwareImage;
class PlugRecordList;

// A compatibility record: the image is supplier (role 0) or actor (role 1)
// of an interface, for interface versions bottom..top.
struct CompatibilitySlot {
    bool present = false;
    uint16_t role = 0;
    uint16_t interfaceId = 0;
    uint16_t variant = 0;
    uint16_t bottom = 0;
    uint16_t top = 0;
};

struct PlatformSlot {
    bool present = false;
    uint16_t platformId = 0;
    uint16_t extra[3] = {0, 0, 0};
};

// What an image's firmware info records declare, and the S-record loads.
class ImageInfo {
public:
    static constexpr size_t kCompatibilitySlots = 5;
    static constexpr size_t kPlatformSlots = 30;

    FirmwareIdentity primary;  // component 21
    FirmwareIdentity station;  // component 31
    std::array<CompatibilitySlot, kCompatibilitySlots> compatibility{};
    uint16_t buildSequence = 0;
    std::array<PlatformSlot, kPlatformSlots> platforms{};

    // Clears the present flags and the build sequence; other values stay.
    void Reset();

    // Number of lines read, 0 on failure (logged; Failure() says why and
    // where). image and plugs may be nullptr.
    uint16_t LoadFile(const std::string& path, FirmwareImage* image, PlugRecordList* plugs);
    uint16_t LoadResource(unsigned id, FirmwareImage* image, PlugRecordList* plugs);
    // Loads S-record text held in memory, split like a resource.
    uint16_t LoadText(const std::string& text, FirmwareImage* image, PlugRecordList* plugs);
    // 0 on failure, non-zero on success.
    int ParseLine(FirmwareImage* image, PlugRecordList* plugs, const char* line, unsigned lineNumber);
    // Why the last load or parsed line failed; kNone after a success.
    const ImageLoadFailure& Failure() const { return failure_; }

private:
    // ParseLine for a line of known length: a NUL inside it is a bad character.
    int ParseRecord(FirmwareImage* image, PlugRecordList* plugs, const char* text, size_t length,
                    unsigned lineNumber);
    // A firmware info record's data bytes (addresses 0xFF200000-0xFF2FFFFF).
    int ApplyInfoRecord(const uint8_t* data, size_t count, unsigned lineNumber);
    // Logs the malformed-record line; returns 0 for the caller to pass on.
    static int InvalidRecordFormat(unsigned lineNumber);
    // Starts a load: no failure yet, the records' flags cleared.
    void BeginLoad(FirmwareImage* image);
    // Returns 0 for the load to pass on, the failure noted unless one
    // more precise was noted at that line already.
    uint16_t Failed(ImageLoadError error, unsigned line);

    ImageLoadFailure failure_;
};

}  // namespace meru
