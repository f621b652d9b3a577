#include "MemoryRegistry.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "TextNumbers.h"

namespace sim {

namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::vector<std::string> SplitPath(const std::string& path) { return SplitAt(path, "\\"); }

}  // namespace

MemoryRegistry::MemoryRegistry() {
    localMachine_.name = "HKEY_LOCAL_MACHINE";
    currentConfig_.name = "HKEY_CURRENT_CONFIG";
}

MemoryRegistry::Node* MemoryRegistry::Root(meru::RegistryKey root) {
    if (root == meru::kLocalMachine) return &localMachine_;
    if (root == meru::kCurrentConfig) return &currentConfig_;
    return nullptr;
}

MemoryRegistry::Node* MemoryRegistry::Resolve(meru::RegistryKey key) {
    if (Node* root = Root(key)) return root;
    auto it = handles_.find(key);
    return it == handles_.end() ? nullptr : it->second;
}

MemoryRegistry::Node* MemoryRegistry::Find(Node* from, const std::string& path, bool create) {
    Node* node = from;
    for (const std::string& part : SplitPath(path)) {
        Node* next = nullptr;
        for (auto& child : node->children) {
            if (Lower(child->name) == Lower(part)) {
                next = child.get();
                break;
            }
        }
        if (next == nullptr) {
            if (!create) return nullptr;
            node->children.push_back(std::make_unique<Node>());
            next = node->children.back().get();
            next->name = part;
        }
        node = next;
    }
    return node;
}

void MemoryRegistry::CreateKey(meru::RegistryKey root, const std::string& path) { Find(Root(root), path, true); }

void MemoryRegistry::SetBinary(meru::RegistryKey root, const std::string& path, const std::string& name,
                               const std::vector<uint8_t>& value) {
    Find(Root(root), path, true)->values[Lower(name)] = value;
}

void MemoryRegistry::SetString(meru::RegistryKey root, const std::string& path, const std::string& name,
                               const std::string& value) {
    std::vector<uint8_t> bytes(value.begin(), value.end());
    bytes.push_back(0);
    SetBinary(root, path, name, bytes);
}

void MemoryRegistry::SetDword(meru::RegistryKey root, const std::string& path, const std::string& name,
                              uint32_t value) {
    SetBinary(root, path, name,
              {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value >> 16),
               static_cast<uint8_t>(value >> 24)});
}

void MemoryRegistry::DeleteKey(meru::RegistryKey root, const std::string& path) {
    std::vector<std::string> parts = SplitPath(path);
    if (parts.empty()) return;
    std::string leaf = parts.back();
    parts.pop_back();
    std::string parentPath;
    for (const std::string& part : parts) parentPath += part + "\\";
    Node* parent = Find(Root(root), parentPath, false);
    if (parent == nullptr) return;
    auto& children = parent->children;
    children.erase(std::remove_if(children.begin(), children.end(),
                                  [&](const std::unique_ptr<Node>& child) { return Lower(child->name) == Lower(leaf); }),
                   children.end());
}

long MemoryRegistry::OpenKey(meru::RegistryKey parent, const char* path, meru::RegistryKey& opened) {
    Node* from = Resolve(parent);
    openLog_.push_back((from != nullptr ? from->name : std::string("?")) + "\\" + (path != nullptr ? path : ""));
    if (from == nullptr || path == nullptr) return 6;  // ERROR_INVALID_HANDLE
    Node* node = Find(from, path, false);
    if (node == nullptr) return meru::kRegistryNotFound;
    opened = nextHandle_++;
    handles_[opened] = node;
    return meru::kRegistrySuccess;
}

long MemoryRegistry::EnumKey(meru::RegistryKey key, uint32_t index, char* name, uint32_t capacity) {
    Node* node = Resolve(key);
    if (node == nullptr) return 6;
    if (index >= node->children.size()) return meru::kRegistryNoMoreItems;
    const std::string& childName = node->children[index]->name;
    if (childName.size() + 1 > capacity) return meru::kRegistryMoreData;
    std::memcpy(name, childName.c_str(), childName.size() + 1);
    return meru::kRegistrySuccess;
}

long MemoryRegistry::QueryValue(meru::RegistryKey key, const char* valueName, uint8_t* data, uint32_t& size) {
    Node* node = Resolve(key);
    if (node == nullptr) return 6;
    auto it = node->values.find(Lower(valueName != nullptr ? valueName : ""));
    if (it == node->values.end()) return meru::kRegistryNotFound;
    const std::vector<uint8_t>& value = it->second;
    if (value.size() > size) {
        size = static_cast<uint32_t>(value.size());
        return meru::kRegistryMoreData;
    }
    if (!value.empty()) std::memcpy(data, value.data(), value.size());
    size = static_cast<uint32_t>(value.size());
    return meru::kRegistrySuccess;
}

void MemoryRegistry::CloseKey(meru::RegistryKey key) { handles_.erase(key); }

}  // namespace sim
