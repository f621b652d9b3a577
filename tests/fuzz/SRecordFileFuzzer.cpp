// An S-record image file named on the updater's command line: the input is
// written to a file and loaded with LoadFile, whose line reader differs from
// the resource reader (LoadText); it also ends the file at the first Ctrl-Z,
// as text-mode reading does, so LoadText is given the text before it. Where
// both see the same lines they must agree: a file that loads must load the
// same from memory (image bytes, plug records, info records, execution
// address), and a text without CRs, over-long lines or more lines than a
// file is read for must be accepted by both or by neither.
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "SameImageInfo.h"
#include "base/ProcessExit.h"
#include "base/SessionLog.h"
#include "image/FirmwareImage.h"
#include "image/ImageInfo.h"
#include "image/PlugRecordList.h"

namespace {

// LoadFile's limits: longer lines are cut, later lines not read.
constexpr size_t kLongestFileLine = 519;
constexpr size_t kLastFileLine = 32000;
// Ends a text file.
constexpr char kEndOfText = 0x1A;

struct ProcessEnded {};

struct Load {
    meru::FirmwareImage image;
    meru::PlugRecordList plugs;
    meru::ImageInfo info;
    uint16_t lines = 0;
};

// One file per fuzzing process, removed after each load.
const std::string& ImagePath() {
    static const std::string path = "/tmp/meru-fuzz-srecord-file-" + std::to_string(getpid()) + ".hex";
    return path;
}

void WriteImageFile(const uint8_t* data, size_t size) {
    FILE* file = std::fopen(ImagePath().c_str(), "wb");
    FUZZ_CHECK(file != nullptr);
    FUZZ_CHECK(std::fwrite(data, 1, size, file) == size);
    FUZZ_CHECK(std::fclose(file) == 0);
}

// The lines LoadFile reads from `text`, and whether one is longer than it keeps.
size_t FileLines(const std::string& text, bool& overLong) {
    size_t lines = 0;
    size_t start = 0;
    overLong = false;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        if (end - start > kLongestFileLine) overLong = true;
        ++lines;
        start = end + 1;
    }
    return lines;
}

struct Chunk {
    uint32_t address;
    std::vector<uint8_t> bytes;
    bool operator==(const Chunk& other) const { return address == other.address && bytes == other.bytes; }
};

std::vector<Chunk> Chunks(meru::FirmwareImage& image) {
    std::vector<Chunk> chunks;
    image.Rewind();
    std::vector<uint8_t> buffer(2042);
    uint32_t address = 0;
    uint16_t length = 0;
    while (image.NextChunk(buffer.data(), address, length, 2042, 0x10000)) {
        chunks.push_back({address, std::vector<uint8_t>(buffer.begin(), buffer.begin() + length)});
    }
    return chunks;
}

bool SamePlugs(const meru::PlugRecordList& a, const meru::PlugRecordList& b) {
    return std::equal(a.Records().begin(), a.Records().end(), b.Records().begin(), b.Records().end(),
                      [](const meru::PlugRecord& x, const meru::PlugRecord& y) {
                          return x.code == y.code && x.targetAddress == y.targetAddress && x.length == y.length;
                      });
}

void CheckSameLoad(Load& file, Load& text) {
    FUZZ_CHECK(text.lines == file.lines);
    FUZZ_CHECK(text.image.BlockCount() == file.image.BlockCount());
    FUZZ_CHECK(text.image.ExecutionAddress() == file.image.ExecutionAddress());
    FUZZ_CHECK(Chunks(text.image) == Chunks(file.image));
    FUZZ_CHECK(SamePlugs(text.plugs, file.plugs));
    FUZZ_CHECK(fuzz::SameImageInfo(text.info, file.info));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    meru::TheSessionLog().SetEnabled(false);
    meru::SetEndProcessHook([](int) { throw ProcessEnded{}; });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    WriteImageFile(data, size);
    const std::string whole(reinterpret_cast<const char*>(data), size);
    const std::string text = whole.substr(0, whole.find(kEndOfText));
    Load file;
    Load memory;
    try {
        file.lines = file.info.LoadFile(ImagePath(), &file.image, &file.plugs);
        std::remove(ImagePath().c_str());
        memory.lines = memory.info.LoadText(text, &memory.image, &memory.plugs);
    } catch (const ProcessEnded&) {
        std::remove(ImagePath().c_str());
        return 0;
    }
    bool overLong = false;
    const bool wholeFileRead = FileLines(text, overLong) <= kLastFileLine;
    // Without CRs and over-long lines both readers see the same lines.
    if (wholeFileRead && !overLong && text.find('\r') == std::string::npos) {
        FUZZ_CHECK((file.lines != 0) == (memory.lines != 0));
    }
    // A file that loads has only lines both readers see alike.
    if (file.lines != 0 && wholeFileRead) CheckSameLoad(file, memory);
    return 0;
}
