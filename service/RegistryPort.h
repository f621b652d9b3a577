#pragma once

#include <cstddef>
#include <string>

#include "WinResult.h"

namespace kestrel {

// The registry below HKEY_CLASSES_ROOT, as the registration needs it. Paths
// are relative to HKEY_CLASSES_ROOT with '\' between key names; a value name
// "" is the key's default value. Results are Windows error codes.
class RegistryPort {
public:
    virtual ~RegistryPort() = default;

    // Opens and closes the key: tells whether it can be opened (for writing
    // when forWriting, else for reading).
    virtual WinResult OpenKey(const std::string& path, bool forWriting) = 0;
    // Creates the key and every missing key above it.
    virtual WinResult CreateKey(const std::string& path) = 0;
    // Deletes the key with everything below it.
    virtual WinResult DeleteTree(const std::string& path) = 0;
    // Deletes a key that has no subkeys (its values go with it).
    virtual WinResult DeleteKey(const std::string& path) = 0;
    virtual bool HasSubkeys(const std::string& path) = 0;
    // Sets a REG_SZ value, the terminating NUL counted in its length.
    virtual WinResult SetString(const std::string& path, const std::string& name,
                                const std::string& value) = 0;
    virtual WinResult DeleteValue(const std::string& path, const std::string& name) = 0;
    // Reads a value into a buffer of bufferBytes bytes; a longer value gives
    // ERROR_MORE_DATA.
    virtual WinResult QueryString(const std::string& path, const std::string& name,
                                  std::size_t bufferBytes, std::string& value) = 0;
};

}  // namespace kestrel
