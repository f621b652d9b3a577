#pragma once

#include <string>
#include <vector>

#include "tools/RegistryWriter.h"

namespace meru {

class AccessLibrary;

// One key the association writes below HKEY_CLASSES_ROOT, in order, with
// its default value; hasValue false for a key that is only created.
struct AssociationEntry {
    std::string key;
    RegistryWriter::Access access;
    bool hasValue;
    std::string value;
};

// The keys and values that make the shell open files of `extension` (".hex",
// ".pda") with the program at `programPath`: the extension's class
// "VELOX<ext>", its description and icon (`iconIndex` counts the program's
// icons), the open verb and, with `editVerb`, the edit verb (notepad). The
// open command quotes the program path when it holds a blank, so that
// C:\Program Files\... is not run as C:\Program.
std::vector<AssociationEntry> AssociationEntries(const std::string& extension, int iconIndex, bool editVerb,
                                                 const std::string& programPath);

// Writes the entries on the Windows 95 family; on the NT family shows
// "Not implemented for NT yet." ("Sorry", no owner) and returns false.
// Registry failures are not reported: a key that cannot be created gets no
// value, and the later keys are still written.
bool RegisterFileType(RegistryWriter& registry, AccessLibrary& library, const std::string& programPath,
                      const std::string& extension, int iconIndex, bool editVerb);

}  // namespace meru
