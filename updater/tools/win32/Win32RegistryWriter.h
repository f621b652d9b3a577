#pragma once

#include "tools/RegistryWriter.h"

namespace meru {

// HKEY_CLASSES_ROOT through the registry API.
class Win32RegistryWriter : public RegistryWriter {
public:
    long CreateKey(const std::string& path, Access access, Key& key) override;
    long SetDefaultValue(Key key, const std::string& value) override;
    void CloseKey(Key key) override;
};

}  // namespace meru
