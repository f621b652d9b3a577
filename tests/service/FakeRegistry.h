#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "RegistryPort.h"

namespace testsupport {

// HKEY_CLASSES_ROOT in memory, with the error codes of the Windows registry.
class FakeRegistry : public kestrel::RegistryPort {
public:
    using Values = std::map<std::string, std::string>;  // "" = default value

    std::map<std::string, Values> keys;
    std::set<std::string> readOnly;  // keys that can't be opened for writing or created

    // Test set-up: the key with its ancestors, and the value.
    void Put(const std::string& path, const std::string& name, const std::string& value) {
        CreateKey(path);
        keys[path][name] = value;
    }

    // Every key and value as "path" and "path|name=data" lines, sorted.
    std::vector<std::string> Dump() const {
        std::vector<std::string> lines;
        for (const auto& [path, values] : keys) {
            lines.push_back(path);
            for (const auto& [name, data] : values) lines.push_back(path + "|" + name + "=" + data);
        }
        return lines;
    }

    kestrel::WinResult OpenKey(const std::string& path, bool forWriting) override {
        if (!keys.count(path)) return kestrel::kErrorFileNotFound;
        return forWriting && readOnly.count(path) ? kAccessDenied : kestrel::kErrorSuccess;
    }
    kestrel::WinResult CreateKey(const std::string& path) override {
        for (std::size_t at = 0; at != std::string::npos;) {
            at = path.find('\\', at + 1);
            const std::string key = path.substr(0, at);
            if (readOnly.count(key)) return kAccessDenied;
            keys[key];
        }
        return kestrel::kErrorSuccess;
    }
    kestrel::WinResult DeleteTree(const std::string& path) override {
        if (!keys.count(path)) return kestrel::kErrorFileNotFound;
        for (auto it = keys.begin(); it != keys.end();) {
            it = (it->first == path || IsBelow(it->first, path)) ? keys.erase(it) : std::next(it);
        }
        return kestrel::kErrorSuccess;
    }
    kestrel::WinResult DeleteKey(const std::string& path) override {
        if (!keys.count(path)) return kestrel::kErrorFileNotFound;
        if (HasSubkeys(path)) return kAccessDenied;
        keys.erase(path);
        return kestrel::kErrorSuccess;
    }
    bool HasSubkeys(const std::string& path) override {
        for (const auto& entry : keys) {
            if (IsBelow(entry.first, path)) return true;
        }
        return false;
    }
    kestrel::WinResult SetString(const std::string& path, const std::string& name,
                                 const std::string& value) override {
        const kestrel::WinResult opened = OpenKey(path, true);
        if (opened != kestrel::kErrorSuccess) return opened;
        keys[path][name] = value;
        return kestrel::kErrorSuccess;
    }
    kestrel::WinResult DeleteValue(const std::string& path, const std::string& name) override {
        if (!keys.count(path) || keys[path].erase(name) == 0) return kestrel::kErrorFileNotFound;
        return kestrel::kErrorSuccess;
    }
    kestrel::WinResult QueryString(const std::string& path, const std::string& name,
                                   std::size_t bufferBytes, std::string& value) override {
        if (!keys.count(path) || !keys[path].count(name)) return kestrel::kErrorFileNotFound;
        const std::string& data = keys[path][name];
        if (data.size() + 1 > bufferBytes) return kestrel::kErrorMoreData;
        value = data;
        return kestrel::kErrorSuccess;
    }

    static constexpr kestrel::WinResult kAccessDenied = 5;

private:
    static bool IsBelow(const std::string& key, const std::string& parent) {
        return key.size() > parent.size() + 1 && key.compare(0, parent.size(), parent) == 0 &&
               key[parent.size()] == '\\';
    }
};

}  // namespace testsupport
