// The software card's state file. A text that is refused must leave the card
// untouched and say why; a text that is accepted must save (the text
// SaveStateFile writes) and read back to the same card, and saving that
// card again must give the same text.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "FuzzCheck.h"
#include "sim/CardState.h"
#include "sim/StateFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    sim::CardState card;
    std::string error;
    if (!sim::ParseState(text, card, error)) {
        FUZZ_CHECK(!error.empty());
        FUZZ_CHECK(card == sim::CardState());
        return 0;
    }
    const std::string saved = sim::FormatState(card);
    sim::CardState reread;
    std::string rereadError;
    if (!sim::ParseState(saved, reread, rereadError)) {
        std::fprintf(stderr, "the saved state does not read back: %s\n", rereadError.c_str());
        std::abort();
    }
    FUZZ_CHECK(reread == card);
    FUZZ_CHECK(sim::FormatState(reread) == saved);
    return 0;
}
