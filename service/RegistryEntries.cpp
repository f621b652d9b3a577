#include "RegistryEntries.h"

namespace kestrel {
namespace {

const char kModulePlaceholder[] = "%MODULE%";

std::string ChildPath(const std::string& parent, const std::string& name) {
    return parent.empty() ? name : parent + "\\" + name;
}

WinResult ApplyKey(const RegistryKeyEntry& key, const std::string& parent,
                   const std::string& modulePath, RegistryPort& registry) {
    const std::string path = ChildPath(parent, key.name);
    if (key.removedBeforeWrite) registry.DeleteTree(path);  // absent is fine
    WinResult result = registry.CreateKey(path);
    if (result != kErrorSuccess) return result;
    if (key.defaultValue) {
        result = registry.SetString(path, "", ExpandModule(*key.defaultValue, modulePath));
        if (result != kErrorSuccess) return result;
    }
    for (const RegistryValueEntry& value : key.values) {
        result = registry.SetString(path, value.name, ExpandModule(value.data, modulePath));
        if (result != kErrorSuccess) return result;
    }
    for (const RegistryKeyEntry& subkey : key.subkeys) {
        result = ApplyKey(subkey, path, modulePath, registry);
        if (result != kErrorSuccess) return result;
    }
    return kErrorSuccess;
}

void RemoveKey(const RegistryKeyEntry& key, const std::string& parent, RegistryPort& registry) {
    const std::string path = ChildPath(parent, key.name);
    if (registry.OpenKey(path, true) != kErrorSuccess) return;  // nothing of it is there
    for (const RegistryKeyEntry& subkey : key.subkeys) RemoveKey(subkey, path, registry);
    if (key.defaultValue) registry.DeleteValue(path, "");
    for (const RegistryValueEntry& value : key.values) registry.DeleteValue(path, value.name);
    if (!key.neverRemoved && !registry.HasSubkeys(path)) registry.DeleteKey(path);
}

}  // namespace

std::string ExpandModule(const std::string& text, const std::string& modulePath) {
    std::string expanded;
    std::size_t from = 0;
    for (;;) {
        const std::size_t at = text.find(kModulePlaceholder, from);
        if (at == std::string::npos) break;
        expanded.append(text, from, at - from);
        expanded += modulePath;
        from = at + sizeof(kModulePlaceholder) - 1;
    }
    expanded.append(text, from, std::string::npos);
    return expanded;
}

WinResult ApplyRegistryTable(const RegistryTable& table, const std::string& modulePath,
                             RegistryPort& registry) {
    for (const RegistryKeyEntry& key : table) {
        const WinResult result = ApplyKey(key, "", modulePath, registry);
        if (result != kErrorSuccess) return result;
    }
    return kErrorSuccess;
}

void RemoveRegistryTable(const RegistryTable& table, RegistryPort& registry) {
    for (const RegistryKeyEntry& key : table) RemoveKey(key, "", registry);
}

}  // namespace kestrel
