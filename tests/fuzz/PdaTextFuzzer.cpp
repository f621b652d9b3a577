// A .pda text file's contents read into the 512-word production data
// buffer. The output is exactly 512 words on the heap so that a write past
// it is caught; a text that is accepted must give a chain of records that
// ends exactly at the last word read.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "FuzzCheck.h"
#include "base/SessionLog.h"
#include "image/Pda.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    meru::TheSessionLog().SetEnabled(false);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::unique_ptr<uint16_t[]> words(new uint16_t[meru::Pda::kMaxWords]);
    const uint16_t count = meru::ParsePdaText(text, words.get());
    FUZZ_CHECK(count <= meru::Pda::kMaxWords);
    if (count == 0) return 0;
    size_t index = 0;
    while (index < count) index += static_cast<size_t>(words[index]) + 1;
    FUZZ_CHECK(index == count);
    // What the updater does next with the words.
    meru::Pda pda;
    pda.ParseWords(words.get(), count);
    return 0;
}
