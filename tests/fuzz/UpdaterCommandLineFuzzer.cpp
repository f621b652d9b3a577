// The updater's command line: the input split at NUL bytes into arguments
// (the first is the program path). The file arguments entered again after
// the catalogue's choice must be exactly the first pass's file arguments
// that do not look like options, and AtoiValue must read every argument as
// the C library's strtoll does, saturated to 32 bits.
#include <cerrno>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "app/CommandLine.h"
#include "base/SessionLog.h"

namespace {

std::vector<std::string> SplitAtNul(const uint8_t* data, size_t size) {
    std::vector<std::string> args(1);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == '\0') {
            args.emplace_back();
        } else {
            args.back() += static_cast<char>(data[i]);
        }
    }
    return args;
}

int ReferenceAtoi(const std::string& text) {
    errno = 0;
    const long long value = std::strtoll(text.c_str(), nullptr, 10);
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    meru::TheSessionLog().SetEnabled(false);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<std::string> args = SplitAtNul(data, size);

    const meru::RunOptions options = meru::ParseCommandLine(args);
    std::vector<std::string> files;
    meru::ApplyCommandLine(args, [&files](const std::string& path) { files.push_back(path); });
    FUZZ_CHECK(options.files == files);
    FUZZ_CHECK(options.commandLineFiles == !files.empty());
    FUZZ_CHECK(files.size() < args.size());

    std::vector<std::string> readded;
    const bool readdedAny =
        meru::ReaddFileArguments(args, [&readded](const std::string& path) { readded.push_back(path); });
    std::vector<std::string> expected;
    for (const std::string& file : files) {
        if (file.empty() || file[0] != '-') expected.push_back(file);
    }
    FUZZ_CHECK(readded == expected);
    FUZZ_CHECK(readdedAny == !readded.empty());

    for (const std::string& argument : args) FUZZ_CHECK(meru::AtoiValue(argument) == ReferenceAtoi(argument));
    return 0;
}
