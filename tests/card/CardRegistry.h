#pragma once

#include <string>

#include "sim/MemoryRegistry.h"

namespace cardtest {

// Registry paths of the systems the updater runs on.
inline const std::string kClassKey2000 =
    "System\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002BE10318}";
inline const std::string kClassKeyNt4 = "Software\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards";
inline const std::string kClassKey95 = "System\\CurrentControlSet\\Services\\Class\\Net";
inline const std::string kProfileEnumNt =
    "system\\CurrentControlSet\\Hardware Profiles\\Current\\System\\CurrentControlSet\\Enum\\";

// Instance flags of a device key: CSConfigFlags as a 4-byte little-endian value.
inline void SetInstanceFlags(sim::MemoryRegistry& registry, meru::RegistryKey root, const std::string& deviceKey,
                             const std::string& instance, uint32_t flags) {
    registry.SetDword(root, deviceKey + "\\" + instance, "CSConfigFlags", flags);
}

}  // namespace cardtest
