// Production data words (the input, two bytes a word, low byte first) parsed
// into a Pda, written out again and parsed a second time: the second parse
// must give the same records, with an end record whose CRC matches them.
// Serialize gets buffers of exactly the capacity it is given, so a write
// past it is caught, and must refuse a buffer one word too small.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "FuzzCheck.h"
#include "base/SessionLog.h"
#include "image/Pda.h"

namespace {

// A heap buffer of exactly `capacity` words (at least one, so that the
// pointer is a real allocation even for capacity 0).
std::unique_ptr<uint16_t[]> Buffer(size_t capacity) { return std::unique_ptr<uint16_t[]>(new uint16_t[capacity + (capacity == 0)]); }

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    meru::TheSessionLog().SetEnabled(false);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const size_t count = std::min<size_t>(size / 2, 0xFFFF);
    const std::unique_ptr<uint16_t[]> words = Buffer(count);
    for (size_t i = 0; i < count; ++i) {
        words[i] = static_cast<uint16_t>(data[2 * i] | data[2 * i + 1] << 8);
    }
    meru::Pda first;
    first.ParseWords(words.get(), static_cast<uint16_t>(count));

    size_t recordWords = 0;
    for (const auto& record : first.Records()) {
        FUZZ_CHECK(record.size() >= 3);
        FUZZ_CHECK(record.size() == static_cast<size_t>(record[0]) + 1);
        recordWords += record.size();
    }

    const std::unique_ptr<uint16_t[]> output = Buffer(meru::Pda::kMaxSerializedWords);
    const uint16_t written = first.Serialize(output.get(), meru::Pda::kMaxSerializedWords);
    // The records and the three words of the end record must fit the area.
    if (recordWords + 3 > meru::Pda::kMaxWords) {
        FUZZ_CHECK(written == 0);
        return 0;
    }
    FUZZ_CHECK(written == recordWords + 3);

    // One word short is refused without a write past the buffer; the exact
    // size gives the same words.
    const std::unique_ptr<uint16_t[]> tooSmall = Buffer(written - 1);
    FUZZ_CHECK(first.Serialize(tooSmall.get(), written - 1) == 0);
    const std::unique_ptr<uint16_t[]> exact = Buffer(written);
    FUZZ_CHECK(first.Serialize(exact.get(), written) == written);
    FUZZ_CHECK(std::equal(exact.get(), exact.get() + written, output.get()));

    meru::Pda second;
    const uint16_t processed = second.ParseWords(output.get(), written);
    FUZZ_CHECK(processed == first.RecordCount() + 1);
    FUZZ_CHECK(second.Records() == first.Records());
    FUZZ_CHECK(second.SawEndRecord());
    FUZZ_CHECK(second.StoredCrc() == first.ListCrc());
    FUZZ_CHECK(second.ReadCrc() == second.StoredCrc());
    return 0;
}
