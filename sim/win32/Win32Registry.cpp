#include "Win32Registry.h"

#include <windows.h>

namespace sim {

namespace {

HKEY ToHkey(meru::RegistryKey key) {
    if (key == meru::kLocalMachine) return HKEY_LOCAL_MACHINE;
    if (key == meru::kCurrentConfig) return HKEY_CURRENT_CONFIG;
    return reinterpret_cast<HKEY>(static_cast<uintptr_t>(key));
}

bool IsRoot(meru::RegistryKey key) { return key == meru::kLocalMachine || key == meru::kCurrentConfig; }

}  // namespace

long Win32Registry::OpenKey(meru::RegistryKey parent, const char* path, meru::RegistryKey& opened) {
    HKEY key = nullptr;
    const LONG status = RegOpenKeyExA(ToHkey(parent), path, 0, KEY_READ, &key);
    if (status == ERROR_SUCCESS) opened = static_cast<meru::RegistryKey>(reinterpret_cast<uintptr_t>(key));
    return status;
}

long Win32Registry::EnumKey(meru::RegistryKey key, uint32_t index, char* name, uint32_t capacity) {
    DWORD length = capacity;
    return RegEnumKeyExA(ToHkey(key), index, name, &length, nullptr, nullptr, nullptr, nullptr);
}

long Win32Registry::QueryValue(meru::RegistryKey key, const char* valueName, uint8_t* data, uint32_t& size) {
    DWORD length = size;
    const LONG status = RegQueryValueExA(ToHkey(key), valueName, nullptr, nullptr, data, &length);
    size = length;
    return status;
}

void Win32Registry::CloseKey(meru::RegistryKey key) {
    if (!IsRoot(key)) RegCloseKey(ToHkey(key));
}

}  // namespace sim
