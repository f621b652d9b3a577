#pragma once

#include "DeviceSetPort.h"

namespace kestrel {

// The device set of the running system: setupapi, cfgmgr32 and the registry.
class SetupApiDeviceSet : public DeviceSetPort {
public:
    Handle GetClassDevices(const ClassGuid& deviceClass, std::uint32_t flags) override;
    bool EnumDeviceInfo(Handle list, std::uint32_t index, DeviceRecord& device) override;
    Handle OpenDeviceKey(Handle list, const DeviceRecord& device, std::uint32_t scope,
                         std::uint32_t hardwareProfile, std::uint32_t keyType,
                         std::uint32_t access) override;
    std::int32_t QueryKeyValue(Handle key, const char* name, std::uint8_t* buffer,
                               std::uint32_t& size) override;
    void CloseKey(Handle key) override;
    bool SetPropertyChangeParams(Handle list, const DeviceRecord& device,
                                 const PropertyChangeParams& params) override;
    bool CallClassInstaller(std::uint32_t installFunction, Handle list,
                            const DeviceRecord& device) override;
    bool DestroyDeviceList(Handle list) override;
    std::uint32_t GetDevNodeStatus(std::uint32_t devInst, std::uint32_t& status,
                                   std::uint32_t& problem) override;
    std::uint32_t LastError() override;
};

}  // namespace kestrel
