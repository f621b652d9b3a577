// A PDA backup's text as -restorepda reads it: a backup that is accepted
// must give its 512 area words, and writing those words again as a backup
// must read back as the same words.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "base/SessionLog.h"
#include "image/PdaBackupText.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    meru::TheSessionLog().SetEnabled(false);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    meru::PdaBackupContent content;
    const std::string why = meru::ReadPdaBackupText(text, content);
    if (!why.empty() || !content.isBackup) return 0;
    meru::PdaBackupContent again;
    const std::string rewritten = meru::PdaBackupText(content.area, nullptr, content.permanentAddress, "");
    FUZZ_CHECK(meru::ReadPdaBackupText(rewritten, again).empty());
    FUZZ_CHECK(again.isBackup && again.area == content.area);
    return 0;
}
