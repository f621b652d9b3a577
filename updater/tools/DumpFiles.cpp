#include "tools/DumpFiles.h"

#include <cstdio>

#include "base/OutputFile.h"
#include "base/SessionLog.h"
#include "image/FirmwareImage.h"
#include "TextFormat.h"

namespace meru {

namespace {

constexpr uint16_t kBytesPerLine = 16;
constexpr uint32_t kNoBoundary = 0;
constexpr char kLineEnd[] = "\r\n";
constexpr uint32_t kMaxLineCount = 0xFFFF;

uint16_t LineCount(uint32_t lines) { return static_cast<uint16_t>(lines < kMaxLineCount ? lines : kMaxLineCount); }

void AppendHexByte(std::string& text, unsigned value) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    text += kDigits[(value >> 4) & 0xF];
    text += kDigits[value & 0xF];
}

// One S-record line of a type with four address bytes (S3, S7): count,
// address most significant byte first, data, one's complement checksum.
std::string SRecordLine(char type, uint32_t address, const uint8_t* data, uint16_t length) {
    std::string line = {'S', type};
    line.reserve(2 * length + 16u);
    const unsigned count = length + 5u;
    unsigned sum = count;
    AppendHexByte(line, count);
    for (int shift = 24; shift >= 0; shift -= 8) {
        AppendHexByte(line, address >> shift);
        sum += (address >> shift) & 0xFF;
    }
    for (uint16_t i = 0; i < length; ++i) {
        AppendHexByte(line, data[i]);
        sum += data[i];
    }
    AppendHexByte(line, ~sum);
    return line;
}

std::string TextDumpLine(uint32_t address, const uint8_t* data, uint16_t length) {
    char piece[16];
    velox::FormatText(piece, sizeof piece, "%x", static_cast<unsigned>(address));
    std::string line = piece;
    for (uint16_t i = 0; i < length; i += 2) {
        line += i == 0 ? ": " : ",";
        if (i + 1 < length) {
            velox::FormatText(piece, sizeof piece, "%04x", static_cast<unsigned>(data[i] | (data[i + 1] << 8)));
        } else {
            velox::FormatText(piece, sizeof piece, "%02x", static_cast<unsigned>(data[i]));
        }
        line += piece;
    }
    return line;
}

// Hands one line with its line end to the output; false when the output
// took it incompletely.
bool PutLine(const DumpLineOutput& out, const std::string& line) { return out(line + kLineEnd); }

// One line a chunk of at most 16 bytes, from the image's first block;
// false when a line could not be written.
template <typename LineOfChunk>
bool WriteChunkLines(const DumpLineOutput& out, FirmwareImage& image, uint32_t& lines, LineOfChunk lineOf) {
    uint8_t chunk[kBytesPerLine];
    uint32_t address = 0;
    uint16_t length = 0;
    image.Rewind();
    while (image.NextChunk(chunk, address, length, kBytesPerLine, kNoBoundary)) {
        if (!PutLine(out, lineOf(address, chunk, length))) return false;
        ++lines;
    }
    return true;
}

// Opens `path` for a dump, runs `write` on it and closes it; 0 and a log
// line when the file cannot be opened or not be written completely.
template <typename Writer>
uint16_t WriteDumpFile(const std::string& path, FirmwareImage& image, Writer write) {
    OutputFile file(path);
    if (!file.IsOpen()) {
        LogPrintf("Dump file %s could not be opened.\n", path.c_str());
        return 0;
    }
    const uint16_t lines = write([&file](const std::string& line) { return file.Write(line); }, image);
    if (!file.Close()) {
        LogPrintf("Dump file %s could not be written completely.\n", path.c_str());
        return 0;
    }
    return lines;
}

}  // namespace

uint16_t WriteSRecordLines(const DumpLineOutput& out, FirmwareImage& image) {
    uint32_t lines = 0;
    if (!WriteChunkLines(out, image, lines, [](uint32_t address, const uint8_t* data, uint16_t length) {
            return SRecordLine('3', address, data, length);
        })) {
        return 0;
    }
    const uint32_t execution = image.HasExecutionAddress() ? image.ExecutionAddress() : 0;
    if (!PutLine(out, SRecordLine('7', execution, nullptr, 0))) return 0;
    return LineCount(lines + 1);
}

uint16_t WriteTextDumpLines(const DumpLineOutput& out, FirmwareImage& image) {
    uint32_t lines = 0;
    if (!WriteChunkLines(out, image, lines, TextDumpLine)) return 0;
    return LineCount(lines);
}

uint16_t WriteSRecordFile(const std::string& path, FirmwareImage& image) {
    return WriteDumpFile(path, image, WriteSRecordLines);
}

uint16_t WriteTextDump(const std::string& path, FirmwareImage& image) {
    return WriteDumpFile(path, image, WriteTextDumpLines);
}

}  // namespace meru
