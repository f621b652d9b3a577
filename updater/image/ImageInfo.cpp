#include "ImageInfo.h"

#include <cstdio>
#include <memory>

#include "FirmwareImage.h"
#include "ResourceSource.h"
#include "base/SessionLog.h"

namespace meru {

namespace {

// Longest line handed to the parser from a file; no valid record comes
// near it (the count byte allows at most 514 characters).
constexpr size_t kMaxFileLine = 519;
// Resource text is cut into pieces of at most this many characters.
constexpr size_t kMaxResourceLine = 520;
// Reading a file stops after the first non-empty line past this number.
constexpr unsigned kLastFileLine = 32000;
// The line count is 16-bit; a longer text reports this many lines rather
// than a count that wraps (possibly to 0, which would read as a failure).
constexpr unsigned kMaxLineCount = 0xFFFF;

uint16_t LineCount(unsigned lines) { return static_cast<uint16_t>(lines < kMaxLineCount ? lines : kMaxLineCount); }

struct FileCloser {
    void operator()(FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<FILE, FileCloser>;

// Ctrl-Z ends a text file, as reading in text mode does on Windows.
constexpr int kEndOfText = 0x1A;

// The next character, EOF from the first Ctrl-Z on.
int NextTextChar(FILE* file) {
    const int c = std::fgetc(file);
    if (c != kEndOfText) return c;
    std::fseek(file, 0, SEEK_END);
    return EOF;
}

// One line without its LF or CR LF ending; characters past kMaxFileLine are
// dropped, so an over-long line stays one line and fails the length check.
// False at the end of the file.
bool ReadFileLine(FILE* file, std::string& line) {
    line.clear();
    int c = NextTextChar(file);
    if (c == EOF) return false;
    bool cut = false;
    while (c != EOF && c != '\n') {
        if (line.size() < kMaxFileLine) {
            line.push_back(static_cast<char>(c));
        } else {
            cut = true;
        }
        c = NextTextChar(file);
    }
    if (!cut && !line.empty() && line.back() == '\r') line.pop_back();
    return true;
}

}  // namespace

void ImageInfo::Reset() {
    primary.present = false;
    station.present = false;
    for (auto& slot : compatibility) slot.present = false;
    buildSequence = 0;
    for (auto& slot : platforms) slot.present = false;
}

void ImageInfo::BeginLoad(FirmwareImage* image) {
    failure_ = {};
    Reset();
    if (image != nullptr) image->ClearExecutionAddress();
}

uint16_t ImageInfo::Failed(ImageLoadError error, unsigned line) {
    if (failure_.error == ImageLoadError::kNone) failure_ = {error, line};
    return 0;
}

uint16_t ImageInfo::LoadFile(const std::string& path, FirmwareImage* image, PlugRecordList* plugs) {
    BeginLoad(image);
    FileHandle file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        LogPrintf("File not found. ");
        return Failed(ImageLoadError::kFileNotFound, 0);
    }
    std::string line;
    unsigned lineNumber = 0;
    while (ReadFileLine(file.get(), line)) {
        ++lineNumber;
        if (line.empty()) continue;
        if (!ParseRecord(image, plugs, line.data(), line.size(), lineNumber)) {
            return Failed(ImageLoadError::kBadRecord, lineNumber);
        }
        if (lineNumber > kLastFileLine) break;
    }
    if (image != nullptr && !image->HasExecutionAddress()) {
        LogPrintf("Error: Line %u: End reached without an execution address record.\n", lineNumber);
        return Failed(ImageLoadError::kNoExecutionAddress, lineNumber);
    }
    return LineCount(lineNumber);
}

uint16_t ImageInfo::LoadResource(unsigned id, FirmwareImage* image, PlugRecordList* plugs) {
    BeginLoad(image);
    std::string text;
    ResourceSource* source = CurrentResourceSource();
    if (source == nullptr || !source->Load(id, text)) return Failed(ImageLoadError::kResourceMissing, 0);
    return LoadText(text, image, plugs);
}

uint16_t ImageInfo::LoadText(const std::string& text, FirmwareImage* image, PlugRecordList* plugs) {
    BeginLoad(image);
    char buffer[kMaxResourceLine + 1];
    size_t position = 0;
    unsigned lineNumber = 0;
    while (position < text.size()) {
        size_t copied = 0;
        while (position < text.size() && text[position] != '\n' && copied < kMaxResourceLine) {
            buffer[copied++] = text[position++];
        }
        // The LF that ends the line is consumed; a piece cut at the limit
        // leaves the rest of its line for the next piece.
        if (position < text.size() && text[position] == '\n') ++position;
        buffer[copied] = '\0';
        // A CR ends the line as well.
        size_t length = 0;
        while (length < copied && buffer[length] != '\r') ++length;
        ++lineNumber;
        if (length == 0) continue;
        if (!ParseRecord(image, plugs, buffer, length, lineNumber)) {
            return Failed(ImageLoadError::kBadRecord, lineNumber);
        }
    }
    if (image != nullptr && !image->HasExecutionAddress()) {
        return Failed(ImageLoadError::kNoExecutionAddress, lineNumber);
    }
    return LineCount(lineNumber);
}

}  // namespace meru
