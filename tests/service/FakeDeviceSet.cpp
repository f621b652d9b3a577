#include "FakeDeviceSet.h"

#include <cstring>

#include "DevEnablerMethods.h"

namespace testsupport {

using kestrel::DeviceRecord;

namespace {
constexpr std::uint32_t kDevInstBase = 100;
constexpr std::uint32_t kStarted = 0x0008 | 0x0002;  // DN_STARTED | DN_DRIVER_LOADED
constexpr std::uint32_t kErrorFileNotFound = 2;
constexpr std::uint32_t kErrorMoreData = 234;
constexpr std::uint32_t kErrorInvalidHandle = 6;
constexpr std::uint32_t kCrNoSuchDevnode = 0x0D;
}  // namespace

FakeDevice Adapter() {
    FakeDevice device;
    device.description = kestrel::kAdapterDescription;
    return device;
}

FakeDevice OtherDevice(const std::string& description) {
    FakeDevice device;
    device.description = description;
    return device;
}

bool FakeDeviceSet::Disabled(std::size_t device) const {
    return devices[device].disabledGlobally || devices[device].disabledInProfile;
}

bool FakeDeviceSet::Refuse(const std::string& why, std::uint32_t error) {
    faults.push_back(why);
    lastError_ = error;
    return false;
}

std::optional<std::size_t> FakeDeviceSet::DeviceOf(Handle list, const DeviceRecord& device) {
    if (list != openList_ || list == kInvalidHandle) {
        Refuse("call on a list that is not open", kErrorInvalidHandle);
        return std::nullopt;
    }
    if (device.size != sizeof(DeviceRecord) || device.reserved >= devices.size() ||
        device.devInst != kDevInstBase + device.reserved) {
        Refuse("device record not filled by SetupDiEnumDeviceInfo");
        return std::nullopt;
    }
    return static_cast<std::size_t>(device.reserved);
}

FakeDeviceSet::Handle FakeDeviceSet::GetClassDevices(const kestrel::ClassGuid& deviceClass,
                                                     std::uint32_t flags) {
    if (std::memcmp(&deviceClass, &kestrel::kNetworkClassGuid, sizeof deviceClass) != 0 ||
        flags != kestrel::kClassListFlags) {
        Refuse("class list of another class or with other flags");
        return kInvalidHandle;
    }
    if (listFails) {
        lastError_ = 13;
        return kInvalidHandle;
    }
    if (openList_ != kInvalidHandle) faults.push_back("a second list while one is open");
    ++listsBuilt;
    openList_ = 0x1000 + static_cast<Handle>(listsBuilt);
    return openList_;
}

bool FakeDeviceSet::EnumDeviceInfo(Handle list, std::uint32_t index, DeviceRecord& device) {
    if (list != openList_ || list == kInvalidHandle) return Refuse("enumerating a closed list", kErrorInvalidHandle);
    if (device.size != sizeof(DeviceRecord)) return Refuse("record size not set");
    if (index >= devices.size()) {
        lastError_ = endOfListError;
        return false;
    }
    device.classGuid = kestrel::kNetworkClassGuid;
    device.devInst = kDevInstBase + index;
    device.reserved = index;
    lastError_ = 0;
    return true;
}

FakeDeviceSet::Handle FakeDeviceSet::OpenDeviceKey(Handle list, const DeviceRecord& device,
                                                   std::uint32_t scope, std::uint32_t hardwareProfile,
                                                   std::uint32_t keyType, std::uint32_t access) {
    const std::optional<std::size_t> index = DeviceOf(list, device);
    if (!index) return kInvalidHandle;
    if (scope != kestrel::kScopeGlobal || hardwareProfile != 0 || keyType != kestrel::kDriverKey ||
        access != kestrel::kKeyReadWrite) {
        Refuse("driver key opened with other scope, profile, type or access");
        return kInvalidHandle;
    }
    if (!devices[*index].hasDriverKey) {
        lastError_ = kErrorFileNotFound;
        return kInvalidHandle;
    }
    const Handle key = nextKey_++;
    openKeys_[key] = *index;
    return key;
}

std::int32_t FakeDeviceSet::QueryKeyValue(Handle key, const char* name, std::uint8_t* buffer,
                                          std::uint32_t& size) {
    const auto found = openKeys_.find(key);
    if (found == openKeys_.end()) {
        Refuse("reading a key that is not open", kErrorInvalidHandle);
        return static_cast<std::int32_t>(kErrorInvalidHandle);
    }
    const FakeDevice& device = devices[found->second];
    if (std::strcmp(name, "DriverDesc") != 0 || !device.hasDescription) return kErrorFileNotFound;
    std::vector<std::uint8_t> data;
    if (device.rawDescription) {
        data = *device.rawDescription;
    } else {
        data.assign(device.description.begin(), device.description.end());
        data.push_back(0);
    }
    const std::uint32_t capacity = size;
    size = static_cast<std::uint32_t>(data.size());
    if (data.size() > capacity) return kErrorMoreData;
    std::memcpy(buffer, data.data(), data.size());
    return 0;
}

void FakeDeviceSet::CloseKey(Handle key) {
    if (openKeys_.erase(key) == 0) faults.push_back("closing a key that is not open");
}

bool FakeDeviceSet::SetPropertyChangeParams(Handle list, const DeviceRecord& device,
                                            const kestrel::PropertyChangeParams& params) {
    const std::optional<std::size_t> index = DeviceOf(list, device);
    if (!index) return false;
    if (params.headerSize != 8 || params.installFunction != kestrel::kDifPropertyChange) {
        return Refuse("class-install header not of a property change");
    }
    if (paramsError) {
        lastError_ = *paramsError;
        return false;
    }
    attached_[*index] = params;
    return true;
}

bool FakeDeviceSet::CallClassInstaller(std::uint32_t installFunction, Handle list,
                                       const DeviceRecord& device) {
    const std::optional<std::size_t> index = DeviceOf(list, device);
    if (!index) return false;
    const kestrel::PropertyChangeParams params = attached_.count(*index) ? attached_[*index]
                                                                          : kestrel::PropertyChangeParams{};
    installerCalls.push_back({*index, installFunction, params});
    if (installFunction == failingFunction && ++callsPerFunction_[installFunction] == failingCall) {
        lastError_ = 0xE000020B;
        return false;
    }
    if (installFunction == kestrel::kDifPropertyChange) {
        if (!attached_.count(*index)) return Refuse("property change without parameters");
        FakeDevice& target = devices[*index];
        const bool disable = params.stateChange == kestrel::kStateDisable;
        (params.scope == kestrel::kScopeGlobal ? target.disabledGlobally : target.disabledInProfile) = disable;
    }
    return true;
}

bool FakeDeviceSet::DestroyDeviceList(Handle list) {
    if (list != openList_ || list == kInvalidHandle) return Refuse("releasing a list that is not open", kErrorInvalidHandle);
    ++listsReleased;
    openList_ = kInvalidHandle;
    attached_.clear();
    if (releaseFails) {
        lastError_ = kErrorInvalidHandle;
        return false;
    }
    lastError_ = 0;  // the Setup API clears the last error on success
    return true;
}

std::uint32_t FakeDeviceSet::GetDevNodeStatus(std::uint32_t devInst, std::uint32_t& status,
                                              std::uint32_t& problem) {
    const std::size_t index = devInst - kDevInstBase;
    if (devInst < kDevInstBase || index >= devices.size() || devices[index].statusFails) {
        return kCrNoSuchDevnode;
    }
    status = kStarted;
    problem = 0;
    if (Disabled(index)) {
        status = kestrel::kDevNodeHasProblem;
        problem = kestrel::kProblemDisabled;
    } else if (devices[index].otherProblem != 0) {
        status = kestrel::kDevNodeHasProblem;
        problem = devices[index].otherProblem;
    }
    return kestrel::kConfigRetSuccess;
}

}  // namespace testsupport
