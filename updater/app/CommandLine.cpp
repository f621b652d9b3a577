#include "CommandLine.h"

#include <cctype>
#include <climits>

#include "base/SessionLog.h"
#include "Version.h"

namespace meru {

namespace {

bool SameOption(const std::string& argument, const char* option) {
    size_t i = 0;
    for (; option[i] != '\0'; ++i) {
        if (i >= argument.size()) return false;
        if (std::tolower(static_cast<unsigned char>(argument[i])) !=
            std::tolower(static_cast<unsigned char>(option[i])))
            return false;
    }
    return i == argument.size();
}

// The value argument after "-repeat"/"-delay"; a missing one counts as 0.
int ValueAfter(const std::vector<std::string>& args, size_t index) {
    return index + 1 < args.size() ? AtoiValue(args[index + 1]) : 0;
}

void WriteDebugLines(const std::vector<std::string>& args) {
    LogPrintf("Command Line:");
    for (const std::string& argument : args) LogPrintf("%s ", argument.c_str());
    LogPrintf("\n");
    LogPrintf("%s\n", LongVersionText().c_str());
}

}  // namespace

int AtoiValue(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    long long value = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative) value = -value;
    if (value > INT_MAX) value = INT_MAX;
    if (value < INT_MIN) value = INT_MIN;
    return static_cast<int>(value);
}

namespace {

// The one walk over the arguments: fills `options`; with `addFile`, also
// does what initialisation does with them, argument by argument.
void WalkArguments(const std::vector<std::string>& args, RunOptions& options, const AddFileFunction* addFile) {
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& argument = args[i];
        if (SameOption(argument, "-log")) {
            options.logging = true;
            if (addFile != nullptr) TheSessionLog().SetEnabled(true);
        } else if (SameOption(argument, "-nolog")) {
            options.logging = false;
            if (addFile != nullptr) TheSessionLog().SetEnabled(false);
        } else if (SameOption(argument, "-repeat")) {
            options.repeat = true;
            options.repeatCount = ValueAfter(args, i);
            ++i;
        } else if (SameOption(argument, "-delay")) {
            options.delay = true;
            options.delaySeconds = ValueAfter(args, i);
            ++i;
        } else if (SameOption(argument, "-batteryOK")) {
            options.batteryOk = true;
        } else if (SameOption(argument, "-quiet")) {
            options.quiet = true;
        } else if (SameOption(argument, "-verbose")) {
            options.quiet = false;
        } else if (SameOption(argument, "-manifest")) {
            options.manifest = true;
        } else if (SameOption(argument, "-debug")) {
            if (addFile != nullptr) WriteDebugLines(args);
        } else if (SameOption(argument, "-olderOK")) {
            options.olderOk = true;
        } else if (SameOption(argument, "-restorepda")) {
            options.restorePda = true;
            options.restorePdaPath = i + 1 < args.size() ? args[i + 1] : std::string();
            ++i;
        } else if (SameOption(argument, "-otherMacOK")) {
            options.otherMacOk = true;
        } else if (SameOption(argument, "-report")) {
            options.report = true;
            options.reportPath = i + 1 < args.size() ? args[i + 1] : std::string();
            ++i;
        } else {
            options.commandLineFiles = true;
            options.files.push_back(argument);
            if (addFile != nullptr) (*addFile)(argument);
        }
    }
}

}  // namespace

RunOptions ParseCommandLine(const std::vector<std::string>& args) {
    RunOptions options;
    options.arguments = args;
    WalkArguments(args, options, nullptr);
    return options;
}

void ApplyCommandLine(const std::vector<std::string>& args, const AddFileFunction& addFile) {
    RunOptions options;
    WalkArguments(args, options, &addFile);
}

bool ReaddFileArguments(const std::vector<std::string>& args, const AddFileFunction& addFile) {
    bool any = false;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& argument = args[i];
        if (SameOption(argument, "-repeat") || SameOption(argument, "-delay") || SameOption(argument, "-restorepda") ||
            SameOption(argument, "-report")) {
            ++i;
        } else if (argument.empty() || argument[0] != '-') {
            any = true;
            addFile(argument);
        }
    }
    return any;
}

bool RequestsPdaRestore(const std::vector<std::string>& args) {
    for (size_t i = 1; i < args.size(); ++i) {
        if (SameOption(args[i], "-restorepda")) return true;
    }
    return false;
}

}  // namespace meru
