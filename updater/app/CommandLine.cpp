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

void ParseCommandLine(const std::vector<std::string>& args, Settings& settings,
                      const AddFileFunction& addFile) {
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& argument = args[i];
        if (SameOption(argument, "-log")) {
            settings.loggingEnabled = true;
        } else if (SameOption(argument, "-nolog")) {
            settings.loggingEnabled = false;
        } else if (SameOption(argument, "-repeat")) {
            settings.repeat = true;
            settings.repeatCount = ValueAfter(args, i);
            ++i;
        } else if (SameOption(argument, "-delay")) {
            settings.delay = true;
            settings.delaySeconds = ValueAfter(args, i);
            ++i;
        } else if (SameOption(argument, "-batteryOK")) {
            settings.batteryOk = true;
        } else if (SameOption(argument, "-quiet")) {
            settings.quietMode = true;
        } else if (SameOption(argument, "-verbose")) {
            settings.quietMode = false;
        } else if (SameOption(argument, "-manifest")) {
            settings.manifestRequested = true;
        } else if (SameOption(argument, "-debug")) {
            WriteDebugLines(args);
        } else if (SameOption(argument, "-olderOK")) {
            settings.olderOk = true;
        } else if (SameOption(argument, "-restorepda")) {
            settings.restorePda = true;
            settings.restorePdaPath = i + 1 < args.size() ? args[i + 1] : std::string();
            ++i;
        } else if (SameOption(argument, "-otherMacOK")) {
            settings.otherMacOk = true;
        } else if (SameOption(argument, "-report")) {
            settings.report = true;
            settings.reportPath = i + 1 < args.size() ? args[i + 1] : std::string();
            ++i;
        } else {
            settings.commandLineFiles = true;
            addFile(argument);
        }
    }
}

void ReaddFileArguments(const std::vector<std::string>& args, Settings& settings,
                        const AddFileFunction& addFile) {
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& argument = args[i];
        if (SameOption(argument, "-repeat") || SameOption(argument, "-delay") || SameOption(argument, "-restorepda") ||
            SameOption(argument, "-report")) {
            ++i;
        } else if (argument.empty() || argument[0] != '-') {
            settings.commandLineFiles = true;
            addFile(argument);
        }
    }
}

bool RequestsPdaRestore(const std::vector<std::string>& args) {
    for (size_t i = 1; i < args.size(); ++i) {
        if (SameOption(args[i], "-restorepda")) return true;
    }
    return false;
}

}  // namespace meru
