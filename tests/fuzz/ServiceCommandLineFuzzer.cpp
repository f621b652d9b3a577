// Kestrelsvc's command-line scan. A command is recognised only when the
// line ends with '-' or '/' and its name (any letter case); the scan must
// agree with that plain reading of the line for every input.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "CommandLineScan.h"

namespace {

std::string LowerAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

bool EndsWithSwitch(const std::string& line, const std::string& name) {
    if (line.size() < name.size() + 1) return false;
    const size_t at = line.size() - name.size() - 1;
    return (line[at] == '-' || line[at] == '/') && line.compare(at + 1, std::string::npos, name) == 0;
}

kestrel::HostCommand ExpectedCommand(const std::string& commandLine) {
    const std::string line = LowerAscii(commandLine);
    if (EndsWithSwitch(line, "unregserver")) return kestrel::HostCommand::UnregServer;
    if (EndsWithSwitch(line, "regserver")) return kestrel::HostCommand::RegServer;
    if (EndsWithSwitch(line, "service")) return kestrel::HostCommand::Service;
    return kestrel::HostCommand::Run;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string commandLine(reinterpret_cast<const char*>(data), size);
    FUZZ_CHECK(kestrel::ScanCommandLine(commandLine) == ExpectedCommand(commandLine));
    return 0;
}
