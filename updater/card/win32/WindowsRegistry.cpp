#include "WindowsRegistry.h"

#include <windows.h>

namespace meru {

namespace {

// The predefined roots are sign-extended handle values on 64-bit Windows.
HKEY ToHkey(RegistryKey key) {
    if (key == kLocalMachine) return HKEY_LOCAL_MACHINE;
    if (key == kCurrentConfig) return HKEY_CURRENT_CONFIG;
    return reinterpret_cast<HKEY>(static_cast<uintptr_t>(key));
}

RegistryKey FromHkey(HKEY key) { return static_cast<RegistryKey>(reinterpret_cast<uintptr_t>(key)); }

}  // namespace

long WindowsRegistry::OpenKey(RegistryKey parent, const char* path, RegistryKey& opened) {
    HKEY key = nullptr;
    const LONG status = RegOpenKeyExA(ToHkey(parent), path, 0, KEY_READ, &key);
    if (status == ERROR_SUCCESS) opened = FromHkey(key);
    return status;
}

long WindowsRegistry::EnumKey(RegistryKey key, uint32_t index, char* name, uint32_t capacity) {
    DWORD length = capacity;
    return RegEnumKeyExA(ToHkey(key), index, name, &length, nullptr, nullptr, nullptr, nullptr);
}

long WindowsRegistry::QueryValue(RegistryKey key, const char* valueName, uint8_t* data, uint32_t& size) {
    DWORD length = size;
    const LONG status = RegQueryValueExA(ToHkey(key), valueName, nullptr, nullptr, data, &length);
    size = length;
    return status;
}

void WindowsRegistry::CloseKey(RegistryKey key) { RegCloseKey(ToHkey(key)); }

}  // namespace meru
