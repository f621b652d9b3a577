#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "FirmwareDescription.h"

namespace meru {

// One data block as the generator fills it.
struct GeneratedBlock {
    uint32_t start = 0;
    std::vector<uint8_t> bytes;
};

// The image's data: filler from a generator seeded by the file name, the
// identity block at base + 0x40, zeros in the file-name area and at every
// plug target.
std::vector<GeneratedBlock> GenerateImageData(const ImageDescription& image);

// The image's 24-byte identity block (see catalogue.txt).
std::vector<uint8_t> IdentityBlock(const ImageDescription& image);

// The complete S-record text: info records, plug records, data, markers and
// the S7 execution address; CR LF line ends, at most 16 data bytes a line.
std::string GenerateImageText(const ImageDescription& image);

// The resource script that embeds every image as FIRMWARE "#<id>".
std::string GenerateResourceScript(const CatalogueDescription& catalogue);

// One S3 (data) or S7 (execution address) line with its CR LF.
std::string SRecordLine(char type, uint32_t address, const uint8_t* data, size_t length);

}  // namespace meru
