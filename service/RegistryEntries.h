#pragma once

#include <optional>
#include <string>
#include <vector>

#include "RegistryPort.h"

namespace kestrel {

// A named string value of a registry key ("" for the default value). The
// text "%MODULE%" in a value stands for the program's short path.
struct RegistryValueEntry {
    std::string name;
    std::string data;
};

// One key of a registration table with what is written into it.
struct RegistryKeyEntry {
    std::string name;
    std::optional<std::string> defaultValue;
    std::vector<RegistryValueEntry> values;
    std::vector<RegistryKeyEntry> subkeys;
    bool neverRemoved = false;        // unregistration leaves the key in place
    bool removedBeforeWrite = false;  // registration first deletes it with everything below it
};

using RegistryTable = std::vector<RegistryKeyEntry>;

// Every occurrence of "%MODULE%" in text replaced by modulePath, verbatim.
std::string ExpandModule(const std::string& text, const std::string& modulePath);

// Creates every key of the table that is missing (deleting the keys marked
// removedBeforeWrite first) and sets its values. Stops at the first failure
// and returns its error code.
WinResult ApplyRegistryTable(const RegistryTable& table, const std::string& modulePath,
                             RegistryPort& registry);

// Deletes every value of the table and every key not marked neverRemoved
// once its own listed subkeys are gone and no other subkey is left.
void RemoveRegistryTable(const RegistryTable& table, RegistryPort& registry);

}  // namespace kestrel
