#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace meru {

class FirmwareImage;

// The two file forms of a flash dump. Both walk the image from its first
// block in chunks of at most 16 bytes, one line a chunk, every line ended
// by CR LF and flushed at once.
//
// S-record file (.hex): an S3 line per chunk (upper-case digits: count =
// bytes + 5, eight address digits, data, one's complement checksum), then
// the S7 line with the image's execution address, 0 when it has none.
//
// Text dump (.dmp): the chunk's address in lower-case hexadecimal, then
// each byte pair as its 16-bit little-endian value in four lower-case
// digits, ": " before the first and "," before the others. A lone last
// byte of an odd chunk stands as two digits.
//
// Each writer returns the number of lines written (saturated at 0xFFFF),
// or 0 when the file could not be opened or any line could not be written
// completely (a full disk): a dump is either whole or reported as failed.
uint16_t WriteSRecordFile(const std::string& path, FirmwareImage& image);
uint16_t WriteTextDump(const std::string& path, FirmwareImage& image);

// Where the lines of a dump go: takes one line with its CR LF and says
// whether it was written completely.
using DumpLineOutput = std::function<bool(const std::string& line)>;

// The same onto an output; 0 as soon as it takes a line incompletely.
uint16_t WriteSRecordLines(const DumpLineOutput& out, FirmwareImage& image);
uint16_t WriteTextDumpLines(const DumpLineOutput& out, FirmwareImage& image);

}  // namespace meru
