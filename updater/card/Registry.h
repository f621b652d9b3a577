#pragma once

#include <cstdint>

namespace meru {

// Read-only access to the Windows registry, as discovery needs it. Every
// call returns a Windows status code: 0 success, 2 not found, 234 more data,
// 259 no more items.

using RegistryKey = uint64_t;
constexpr RegistryKey kLocalMachine = 0x80000002u;  // HKEY_LOCAL_MACHINE
constexpr RegistryKey kCurrentConfig = 0x80000005u;  // HKEY_CURRENT_CONFIG

constexpr long kRegistrySuccess = 0;
constexpr long kRegistryNotFound = 2;
constexpr long kRegistryMoreData = 234;
constexpr long kRegistryNoMoreItems = 259;

class Registry {
public:
    virtual ~Registry() = default;

    // Opens `path` (may contain "\") below `parent` for reading.
    virtual long OpenKey(RegistryKey parent, const char* path, RegistryKey& opened) = 0;
    // Name of subkey number `index` into `name` (capacity in characters, NUL included).
    virtual long EnumKey(RegistryKey key, uint32_t index, char* name, uint32_t capacity) = 0;
    // Reads value `valueName`; `size` is the capacity in, the byte count out.
    virtual long QueryValue(RegistryKey key, const char* valueName, uint8_t* data, uint32_t& size) = 0;
    virtual void CloseKey(RegistryKey key) = 0;
};

}  // namespace meru
