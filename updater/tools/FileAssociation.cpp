#include "tools/FileAssociation.h"

#include "base/ReportBox.h"
#include "card/AccessLibrary.h"

namespace meru {

namespace {

constexpr char kClassPrefix[] = "VELOX";
constexpr char kDescription[] = "VELOX firmware update";
constexpr char kOpenCaption[] = "Launch &Tolvan";
constexpr char kEditCaption[] = "&Edit";
constexpr char kEditProgram[] = "notepad";
constexpr char kFileArgument[] = " \"%1\"";

// The program as the first word of a shell command.
std::string CommandProgram(const std::string& path) {
    if (path.find_first_of(" \t") == std::string::npos) return path;
    return "\"" + path + "\"";
}

}  // namespace

std::vector<AssociationEntry> AssociationEntries(const std::string& extension, int iconIndex, bool editVerb,
                                                 const std::string& programPath) {
    using Access = RegistryWriter::Access;
    const std::string className = kClassPrefix + extension;
    std::vector<AssociationEntry> entries = {
        {extension, Access::kFull, true, className},
        {className, Access::kWrite, true, std::string(kDescription) + " (" + extension + ")"},
        {className + "\\DefaultIcon", Access::kWrite, true, programPath + "," + std::to_string(iconIndex)},
        {className + "\\shell", Access::kWrite, false, ""},
    };
    if (editVerb) {
        entries.push_back({className + "\\shell\\edit", Access::kWrite, true, kEditCaption});
        entries.push_back(
            {className + "\\shell\\edit\\command", Access::kWrite, true, std::string(kEditProgram) + kFileArgument});
    }
    entries.push_back({className + "\\shell\\open", Access::kWrite, true, kOpenCaption});
    entries.push_back(
        {className + "\\shell\\open\\command", Access::kWrite, true, CommandProgram(programPath) + kFileArgument});
    return entries;
}

bool RegisterFileType(RegistryWriter& registry, AccessLibrary& library, const std::string& programPath,
                      const std::string& extension, int iconIndex, bool editVerb) {
    if (!library.IsWindows95()) {
        ReportBox(nullptr, "Not implemented for NT yet.", "Sorry", kBoxOk);
        return false;
    }
    for (const AssociationEntry& entry : AssociationEntries(extension, iconIndex, editVerb, programPath)) {
        RegistryWriter::Key key = 0;
        if (registry.CreateKey(entry.key, entry.access, key) != 0) continue;
        if (entry.hasValue) registry.SetDefaultValue(key, entry.value);
        registry.CloseKey(key);
    }
    return true;
}

}  // namespace meru
