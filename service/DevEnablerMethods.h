#pragma once

#include <cstdint>
#include <initializer_list>

#include "DeviceSetPort.h"

namespace kestrel {

// The driver description that marks the adapter the device enabler acts on.
constexpr const char kAdapterDescription[] = "Dunmore VELOX Wireless LAN USB Card";

// Result codes of the IDevEnabler methods (returned as their HRESULTs).
constexpr std::int32_t kCodeEnabled = 0;           // EnableDevice done
constexpr std::int32_t kCodePresentEnabled = 0;    // GetCurStatus: present, not disabled
constexpr std::int32_t kCodePresentDisabled = 1;   // GetCurStatus: present, disabled
constexpr std::int32_t kCodeNoDeviceList = 2;
constexpr std::int32_t kCodeNoDriverKey = 3;
constexpr std::int32_t kCodeNoDescription = 4;
constexpr std::int32_t kCodeReleaseFailed = 5;
constexpr std::int32_t kCodePropertyChangeFailed = 7;
constexpr std::int32_t kCodeDestroyPrivateDataFailed = 9;
constexpr std::int32_t kCodeAdapterPresent = 9;    // EnumerateNics
constexpr std::int32_t kCodeDisabled = 10;         // DisableDevice done
constexpr std::int32_t kCodeNoAdapter = 50;        // GetCurStatus
constexpr std::int32_t kCodeNoStatus = -1;         // GetCurStatus: no devnode status

// The four IDevEnabler methods, on the network-class devices of a device
// set. Each call searches afresh for the first device whose "DriverDesc" is
// exactly kAdapterDescription and acts on that one; every key it opens is
// closed and the device list released before it returns.
class DevEnablerMethods {
public:
    explicit DevEnablerMethods(DeviceSetPort& devices) : devices_(devices) {}

    // Enables the adapter globally, then for the current hardware profile.
    std::int32_t EnableDevice();
    // Disables the adapter for the current hardware profile.
    std::int32_t DisableDevice();
    std::int32_t EnumerateNics();
    std::int32_t GetCurStatus();

private:
    struct Search;

    // Finds the first matching device (true, list kept open) or ends the
    // call (false, list released) with `code`: 2, 3, 4, or the fetch's last
    // error when the list ended without a match.
    bool FindAdapter(Search& search, std::int32_t successCode, std::int32_t& code);
    bool DescriptionMatches(DeviceSetPort::Handle key, std::int32_t& code);
    // Finds the adapter and changes its state once per scope.
    std::int32_t Switch(std::uint32_t stateChange, std::initializer_list<std::uint32_t> scopes,
                        std::int32_t successCode);
    std::int32_t ChangeState(Search& search, std::uint32_t stateChange, std::uint32_t scope,
                             std::int32_t successCode);
    bool Release(Search& search);

    DeviceSetPort& devices_;
};

}  // namespace kestrel
