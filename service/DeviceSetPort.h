#pragma once

#include <cstddef>
#include <cstdint>

namespace kestrel {

// Values handed to the Setup API and configuration manager.
constexpr std::uint32_t kClassListFlags = 0x0A;  // DIGCF_PRESENT | DIGCF_PROFILE
constexpr std::uint32_t kScopeGlobal = 1;        // DICS_FLAG_GLOBAL
constexpr std::uint32_t kScopeConfigSpecific = 2;
constexpr std::uint32_t kDriverKey = 2;          // DIREG_DRV
constexpr std::uint32_t kKeyReadWrite = 0x2001F;  // KEY_READ | KEY_WRITE
constexpr std::uint32_t kStateEnable = 1;         // DICS_ENABLE
constexpr std::uint32_t kStateDisable = 2;
constexpr std::uint32_t kDifPropertyChange = 0x12;
constexpr std::uint32_t kDifDestroyPrivateData = 0x0C;
constexpr std::uint32_t kDevNodeHasProblem = 0x400;  // DN_HAS_PROBLEM
constexpr std::uint32_t kProblemDisabled = 22;       // CM_PROB_DISABLED
constexpr std::uint32_t kConfigRetSuccess = 0;       // CR_SUCCESS
constexpr std::size_t kDriverDescBytes = 256;

// A GUID in the platform's layout.
struct ClassGuid {
    std::uint32_t data1;
    std::uint16_t data2;
    std::uint16_t data3;
    std::uint8_t data4[8];
};

// GUID_DEVCLASS_NET, the setup class of network adapters.
constexpr ClassGuid kNetworkClassGuid = {
    0x4D36E972, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};

// SP_DEVINFO_DATA, field for field (28 bytes on 32-bit Windows, 32 on 64-bit).
struct DeviceRecord {
    std::uint32_t size;
    ClassGuid classGuid;
    std::uint32_t devInst;
    std::uintptr_t reserved;
};

// SP_PROPCHANGE_PARAMS: class-install header (size, install function), state
// change, scope, hardware profile.
struct PropertyChangeParams {
    std::uint32_t headerSize = 8;
    std::uint32_t installFunction = kDifPropertyChange;
    std::uint32_t stateChange = 0;
    std::uint32_t scope = 0;
    std::uint32_t hardwareProfile = 0;
};

// The Setup API and configuration-manager calls the device enabler makes,
// one method per call. Handles are opaque; kInvalidHandle is
// INVALID_HANDLE_VALUE.
class DeviceSetPort {
public:
    using Handle = std::uintptr_t;
    static constexpr Handle kInvalidHandle = ~Handle{0};

    virtual ~DeviceSetPort() = default;
    // SetupDiGetClassDevs(class, no enumerator, no window, flags).
    virtual Handle GetClassDevices(const ClassGuid& deviceClass, std::uint32_t flags) = 0;
    // SetupDiEnumDeviceInfo.
    virtual bool EnumDeviceInfo(Handle list, std::uint32_t index, DeviceRecord& device) = 0;
    // SetupDiOpenDevRegKey.
    virtual Handle OpenDeviceKey(Handle list, const DeviceRecord& device, std::uint32_t scope,
                                 std::uint32_t hardwareProfile, std::uint32_t keyType,
                                 std::uint32_t access) = 0;
    // RegQueryValueEx into buffer; size is the buffer's size in and the
    // value's size out. Returns a Windows error code.
    virtual std::int32_t QueryKeyValue(Handle key, const char* name, std::uint8_t* buffer,
                                       std::uint32_t& size) = 0;
    // RegCloseKey.
    virtual void CloseKey(Handle key) = 0;
    // SetupDiSetClassInstallParams with the property-change parameters.
    virtual bool SetPropertyChangeParams(Handle list, const DeviceRecord& device,
                                         const PropertyChangeParams& params) = 0;
    // SetupDiCallClassInstaller.
    virtual bool CallClassInstaller(std::uint32_t installFunction, Handle list,
                                    const DeviceRecord& device) = 0;
    // SetupDiDestroyDeviceInfoList.
    virtual bool DestroyDeviceList(Handle list) = 0;
    // CM_Get_DevNode_Status with flags 0; returns the CONFIGRET.
    virtual std::uint32_t GetDevNodeStatus(std::uint32_t devInst, std::uint32_t& status,
                                           std::uint32_t& problem) = 0;
    // The thread's last error.
    virtual std::uint32_t LastError() = 0;
};

}  // namespace kestrel
