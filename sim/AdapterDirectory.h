#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "card/Registry.h"

namespace sim {

// Which Windows the library believes it runs on: it decides the registry
// layout of the network adapters.
struct OsVersion {
    bool windowsNT = true;
    uint32_t platformVersion = 5;  // 5 or more: Windows 2000
};

constexpr OsVersion kWindows2000{true, 5};
constexpr OsVersion kWindowsNT4{true, 4};
constexpr OsVersion kWindows9x{false, 4};

// A network adapter as the library finds it under the class key.
struct AdapterEntry {
    std::string subkey;       // its subkey under the class key
    std::string displayName;  // what the user sees
    std::string deviceName;   // what follows "\Device\" in the open name
};

// The network-adapter class key below HKEY_LOCAL_MACHINE.
std::string AdapterClassKeyPath(const OsVersion& os);

// The adapter a class-key subkey describes, or nothing when it describes
// none. Windows 2000: values "DriverDesc" (display name) and
// "NetCfgInstanceId" (device name); NT 4: "Description" and "ServiceName";
// Windows 95/98/Me: "DriverDesc", the device name being the subkey name.
std::optional<AdapterEntry> DescribeAdapter(meru::Registry& registry, const OsVersion& os,
                                            const std::string& subkey);

// The adapter an open name designates: "\Device\<device name>" on the NT
// family, the subkey name on Windows 95/98/Me.
std::optional<AdapterEntry> FindAdapterByOpenName(meru::Registry& registry, const OsVersion& os,
                                                  const std::string& openName);

// True when the display name contains "VELOX" (any case): the VELOX
// miniport drives it.
bool IsVeloxAdapter(const AdapterEntry& adapter);

// Case-insensitive comparison of two names.
bool SameName(const std::string& a, const std::string& b);

}  // namespace sim
