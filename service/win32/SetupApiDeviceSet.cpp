#include "SetupApiDeviceSet.h"

#include <windows.h>
// clang-format off
#include <setupapi.h>
#include <cfgmgr32.h>
// clang-format on

#include <cstddef>
#include <cstring>

namespace kestrel {

// The portable records are the platform's structures field for field.
static_assert(sizeof(DeviceRecord) == sizeof(SP_DEVINFO_DATA), "device record layout");
static_assert(offsetof(DeviceRecord, devInst) == offsetof(SP_DEVINFO_DATA, DevInst), "device record layout");
static_assert(offsetof(DeviceRecord, reserved) == offsetof(SP_DEVINFO_DATA, Reserved), "device record layout");
static_assert(sizeof(ClassGuid) == sizeof(GUID), "GUID layout");
static_assert(sizeof(SP_PROPCHANGE_PARAMS) == 20 && sizeof(SP_CLASSINSTALL_HEADER) == 8,
              "property-change parameters");
static_assert(DIGCF_PRESENT + DIGCF_PROFILE == kClassListFlags && DIREG_DRV == kDriverKey &&
                  DICS_FLAG_GLOBAL == kScopeGlobal && DICS_FLAG_CONFIGSPECIFIC == kScopeConfigSpecific &&
                  (KEY_READ | KEY_WRITE) == kKeyReadWrite && DIF_PROPERTYCHANGE == kDifPropertyChange &&
                  DIF_DESTROYPRIVATEDATA == kDifDestroyPrivateData && DICS_ENABLE == kStateEnable &&
                  DICS_DISABLE == kStateDisable && DN_HAS_PROBLEM == kDevNodeHasProblem &&
                  CM_PROB_DISABLED == kProblemDisabled && CR_SUCCESS == kConfigRetSuccess,
              "Setup API values");

namespace {

HDEVINFO ListOf(DeviceSetPort::Handle list) { return reinterpret_cast<HDEVINFO>(list); }

SP_DEVINFO_DATA PlatformRecord(const DeviceRecord& device) {
    SP_DEVINFO_DATA data;
    std::memcpy(&data, &device, sizeof data);
    return data;
}

}  // namespace

DeviceSetPort::Handle SetupApiDeviceSet::GetClassDevices(const ClassGuid& deviceClass, std::uint32_t flags) {
    GUID guid;
    std::memcpy(&guid, &deviceClass, sizeof guid);
    return reinterpret_cast<Handle>(SetupDiGetClassDevsA(&guid, nullptr, nullptr, flags));
}

bool SetupApiDeviceSet::EnumDeviceInfo(Handle list, std::uint32_t index, DeviceRecord& device) {
    SP_DEVINFO_DATA data = PlatformRecord(device);
    const BOOL fetched = SetupDiEnumDeviceInfo(ListOf(list), index, &data);
    std::memcpy(&device, &data, sizeof data);
    return fetched != FALSE;
}

DeviceSetPort::Handle SetupApiDeviceSet::OpenDeviceKey(Handle list, const DeviceRecord& device,
                                                       std::uint32_t scope, std::uint32_t hardwareProfile,
                                                       std::uint32_t keyType, std::uint32_t access) {
    SP_DEVINFO_DATA data = PlatformRecord(device);
    return reinterpret_cast<Handle>(
        SetupDiOpenDevRegKey(ListOf(list), &data, scope, hardwareProfile, keyType, access));
}

std::int32_t SetupApiDeviceSet::QueryKeyValue(Handle key, const char* name, std::uint8_t* buffer,
                                              std::uint32_t& size) {
    DWORD bytes = size;
    const LONG status = RegQueryValueExA(reinterpret_cast<HKEY>(key), name, nullptr, nullptr, buffer, &bytes);
    size = bytes;
    return status;
}

void SetupApiDeviceSet::CloseKey(Handle key) { RegCloseKey(reinterpret_cast<HKEY>(key)); }

bool SetupApiDeviceSet::SetPropertyChangeParams(Handle list, const DeviceRecord& device,
                                                const PropertyChangeParams& params) {
    SP_PROPCHANGE_PARAMS change;
    change.ClassInstallHeader.cbSize = params.headerSize;
    change.ClassInstallHeader.InstallFunction = params.installFunction;
    change.StateChange = params.stateChange;
    change.Scope = params.scope;
    change.HwProfile = params.hardwareProfile;
    SP_DEVINFO_DATA data = PlatformRecord(device);
    return SetupDiSetClassInstallParamsA(ListOf(list), &data, &change.ClassInstallHeader, sizeof change) != FALSE;
}

bool SetupApiDeviceSet::CallClassInstaller(std::uint32_t installFunction, Handle list,
                                           const DeviceRecord& device) {
    SP_DEVINFO_DATA data = PlatformRecord(device);
    return SetupDiCallClassInstaller(installFunction, ListOf(list), &data) != FALSE;
}

bool SetupApiDeviceSet::DestroyDeviceList(Handle list) {
    return SetupDiDestroyDeviceInfoList(ListOf(list)) != FALSE;
}

std::uint32_t SetupApiDeviceSet::GetDevNodeStatus(std::uint32_t devInst, std::uint32_t& status,
                                                  std::uint32_t& problem) {
    ULONG nodeStatus = 0;
    ULONG nodeProblem = 0;
    const CONFIGRET result = CM_Get_DevNode_Status(&nodeStatus, &nodeProblem, devInst, 0);
    status = nodeStatus;
    problem = nodeProblem;
    return result;
}

std::uint32_t SetupApiDeviceSet::LastError() { return ::GetLastError(); }

}  // namespace kestrel
