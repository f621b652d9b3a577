#pragma once

#include <cstdint>
#include <string>

namespace meru {

// The shell's class registry (HKEY_CLASSES_ROOT) as the file association
// writes it. Paths are relative to HKEY_CLASSES_ROOT with '\' between key
// names. Results are Windows error codes (0 success).
class RegistryWriter {
public:
    using Key = uint64_t;
    enum class Access { kFull, kWrite };  // KEY_ALL_ACCESS, KEY_WRITE

    virtual ~RegistryWriter() = default;

    // Creates the key, or opens it when it exists (class "key", no options).
    virtual long CreateKey(const std::string& path, Access access, Key& key) = 0;
    // Sets the key's default value as REG_SZ, its terminating NUL counted.
    virtual long SetDefaultValue(Key key, const std::string& value) = 0;
    virtual void CloseKey(Key key) = 0;
};

}  // namespace meru
