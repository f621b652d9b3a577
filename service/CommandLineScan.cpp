#include "CommandLineScan.h"

#include <cstddef>

namespace kestrel {
namespace {

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool RestEqualsIgnoringCase(const std::string& line, std::size_t from, const char* name) {
    std::size_t i = from;
    for (; *name != '\0'; ++name, ++i) {
        if (i >= line.size() || LowerAscii(line[i]) != LowerAscii(*name)) return false;
    }
    return i == line.size();
}

}  // namespace

HostCommand ScanCommandLine(const std::string& commandLine) {
    struct Named {
        const char* name;
        HostCommand command;
    };
    static const Named kCommands[] = {
        {"UnregServer", HostCommand::UnregServer},
        {"RegServer", HostCommand::RegServer},
        {"Service", HostCommand::Service},
    };
    for (std::size_t i = 0; i < commandLine.size(); ++i) {
        if (commandLine[i] != '-' && commandLine[i] != '/') continue;
        for (const Named& entry : kCommands) {
            if (RestEqualsIgnoringCase(commandLine, i + 1, entry.name)) return entry.command;
        }
    }
    return HostCommand::Run;
}

}  // namespace kestrel
