#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "card/Registry.h"

namespace sim {

// An in-memory registry for native tests and the native software card.
// Keys keep their subkeys in insertion order (the order enumeration reports);
// names compare case-insensitively, as in Windows.
class MemoryRegistry : public meru::Registry {
public:
    MemoryRegistry();

    // Creates the key (and its parents) below a root; "HKLM" or "HKCC" paths
    // are given as root + path, e.g. (meru::kLocalMachine, "System\\...").
    void CreateKey(meru::RegistryKey root, const std::string& path);
    void SetString(meru::RegistryKey root, const std::string& path, const std::string& name,
                   const std::string& value);
    void SetBinary(meru::RegistryKey root, const std::string& path, const std::string& name,
                   const std::vector<uint8_t>& value);
    void SetDword(meru::RegistryKey root, const std::string& path, const std::string& name, uint32_t value);
    void DeleteKey(meru::RegistryKey root, const std::string& path);

    long OpenKey(meru::RegistryKey parent, const char* path, meru::RegistryKey& opened) override;
    long EnumKey(meru::RegistryKey key, uint32_t index, char* name, uint32_t capacity) override;
    long QueryValue(meru::RegistryKey key, const char* valueName, uint8_t* data, uint32_t& size) override;
    void CloseKey(meru::RegistryKey key) override;

    // Keys opened and not yet closed (roots excluded): tests check for leaks.
    size_t OpenHandleCount() const { return handles_.size(); }
    // Every OpenKey path asked for, as "<parent>\\<path>"; tests check what was read.
    const std::vector<std::string>& OpenLog() const { return openLog_; }

private:
    struct Node {
        std::string name;
        std::vector<std::unique_ptr<Node>> children;
        std::map<std::string, std::vector<uint8_t>> values;  // lower-cased names
    };

    Node* Root(meru::RegistryKey root);
    Node* Resolve(meru::RegistryKey key);
    static Node* Find(Node* from, const std::string& path, bool create);

    Node localMachine_;
    Node currentConfig_;
    std::map<meru::RegistryKey, Node*> handles_;
    meru::RegistryKey nextHandle_ = 0x1000;
    std::vector<std::string> openLog_;
};

}  // namespace sim
