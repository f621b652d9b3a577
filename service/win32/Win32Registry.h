#pragma once

#include "RegistryPort.h"

namespace kestrel {

// RegistryPort on HKEY_CLASSES_ROOT of the running system.
class Win32Registry : public RegistryPort {
public:
    WinResult OpenKey(const std::string& path, bool forWriting) override;
    WinResult CreateKey(const std::string& path) override;
    WinResult DeleteTree(const std::string& path) override;
    WinResult DeleteKey(const std::string& path) override;
    bool HasSubkeys(const std::string& path) override;
    WinResult SetString(const std::string& path, const std::string& name, const std::string& value) override;
    WinResult DeleteValue(const std::string& path, const std::string& name) override;
    WinResult QueryString(const std::string& path, const std::string& name, std::size_t bufferBytes,
                          std::string& value) override;
};

}  // namespace kestrel
