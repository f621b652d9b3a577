// The MAC address and serial number texts typed into the PDA dialog: any
// text parses without reading past it; a MAC address that parses formats to
// a 17-character text that parses back to the same words and outcome, and
// the live reformatting of the field gives that text.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "base/SessionLog.h"
#include "tools/PdaFieldTexts.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    meru::TheSessionLog().SetEnabled(false);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const meru::MacParse parsed = meru::ParseMacText(text);
    meru::PackSerialText(text);
    const std::string reformatted = meru::ReformatMacText(text);
    if (parsed.outcome == meru::MacOutcome::kNotAMac) {
        FUZZ_CHECK(reformatted == text);
        return 0;
    }
    const std::string formatted = meru::FormatMacText(parsed.words);
    FUZZ_CHECK(formatted.size() == 17);
    const meru::MacParse again = meru::ParseMacText(formatted);
    FUZZ_CHECK(again.outcome == parsed.outcome);
    FUZZ_CHECK(again.words == parsed.words);
    FUZZ_CHECK(reformatted.size() == 17);
    FUZZ_CHECK(meru::ParseMacText(reformatted).words == parsed.words);
    return 0;
}
