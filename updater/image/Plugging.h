#pragma once

#include <cstdint>

namespace meru {

class FirmwareImage;
class ImageInfo;
class Pda;
class PlugRecordList;

// Longest name the file-name plug writes.
constexpr uint16_t kFileNamePlugMaxLength = 20;

// Copies the PDA records named by the plug records over the image bytes at
// their targets, and the upper-case base name of fileName (or, when fileName
// is nullptr, the version text of info) into the file-name plug. Sets each
// record's status and logs every step. Returns the number of PDA records
// plugged; the file-name plug is not counted.
unsigned PlugImage(const ImageInfo& info, FirmwareImage& image, PlugRecordList& plugs, const Pda& pda,
                   const char* fileName);

}  // namespace meru
