#pragma once

#include "card/Registry.h"

namespace meru {

// The Windows registry, opened for reading only (KEY_READ).
class WindowsRegistry : public Registry {
public:
    long OpenKey(RegistryKey parent, const char* path, RegistryKey& opened) override;
    long EnumKey(RegistryKey key, uint32_t index, char* name, uint32_t capacity) override;
    long QueryValue(RegistryKey key, const char* valueName, uint8_t* data, uint32_t& size) override;
    void CloseKey(RegistryKey key) override;
};

}  // namespace meru
