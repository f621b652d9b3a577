#pragma once

#include "card/Registry.h"

namespace sim {

// The Windows registry behind the read-only registry port (KEY_READ).
class Win32Registry : public meru::Registry {
public:
    long OpenKey(meru::RegistryKey parent, const char* path, meru::RegistryKey& opened) override;
    long EnumKey(meru::RegistryKey key, uint32_t index, char* name, uint32_t capacity) override;
    long QueryValue(meru::RegistryKey key, const char* valueName, uint8_t* data, uint32_t& size) override;
    void CloseKey(meru::RegistryKey key) override;
};

}  // namespace sim
