#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "DeviceSetPort.h"

namespace testsupport {

// One network-class device as the fake Setup API sees it.
struct FakeDevice {
    // "DriverDesc" as stored: the text with its NUL, unless rawDescription is set.
    std::string description;
    std::optional<std::vector<std::uint8_t>> rawDescription;
    bool hasDriverKey = true;
    bool hasDescription = true;
    bool disabledGlobally = false;
    bool disabledInProfile = false;
    std::uint32_t otherProblem = 0;  // a problem number other than "disabled"
    bool statusFails = false;
};

// A Setup API and configuration manager over a list of fake devices. It
// accepts only the arguments Windows documents for these calls (anything
// else fails and is noted in `faults`), changes a device's state when the
// class installer is called, and keeps count of lists and keys so a test
// can see that everything was closed.
class FakeDeviceSet : public kestrel::DeviceSetPort {
public:
    struct InstallerCall {
        std::size_t device;
        std::uint32_t function;
        kestrel::PropertyChangeParams params;  // attached when it was called
    };

    std::vector<FakeDevice> devices;

    // Failures to inject.
    bool listFails = false;
    bool releaseFails = false;
    std::optional<std::uint32_t> paramsError;  // SetupDiSetClassInstallParams fails with it
    std::uint32_t failingFunction = 0;         // this install function fails...
    int failingCall = 0;                       // ...on its n-th call (1-based)
    std::uint32_t endOfListError = 259;        // last error when the enumeration ends

    // What happened.
    int listsBuilt = 0;
    int listsReleased = 0;
    std::vector<InstallerCall> installerCalls;
    std::vector<std::string> faults;

    // Every list released and every key closed, no call with refused arguments.
    bool Clean() const { return listsBuilt == listsReleased && openKeys_.empty() && faults.empty(); }
    bool Disabled(std::size_t device) const;

    Handle GetClassDevices(const kestrel::ClassGuid& deviceClass, std::uint32_t flags) override;
    bool EnumDeviceInfo(Handle list, std::uint32_t index, kestrel::DeviceRecord& device) override;
    Handle OpenDeviceKey(Handle list, const kestrel::DeviceRecord& device, std::uint32_t scope,
                         std::uint32_t hardwareProfile, std::uint32_t keyType,
                         std::uint32_t access) override;
    std::int32_t QueryKeyValue(Handle key, const char* name, std::uint8_t* buffer,
                               std::uint32_t& size) override;
    void CloseKey(Handle key) override;
    bool SetPropertyChangeParams(Handle list, const kestrel::DeviceRecord& device,
                                 const kestrel::PropertyChangeParams& params) override;
    bool CallClassInstaller(std::uint32_t installFunction, Handle list,
                            const kestrel::DeviceRecord& device) override;
    bool DestroyDeviceList(Handle list) override;
    std::uint32_t GetDevNodeStatus(std::uint32_t devInst, std::uint32_t& status,
                                   std::uint32_t& problem) override;
    std::uint32_t LastError() override { return lastError_; }

private:
    bool Refuse(const std::string& why, std::uint32_t error = 87);
    // The device a record names, or nullopt (noted as a fault).
    std::optional<std::size_t> DeviceOf(Handle list, const kestrel::DeviceRecord& device);

    Handle openList_ = kInvalidHandle;
    std::map<Handle, std::size_t> openKeys_;
    Handle nextKey_ = 0x2000;
    std::map<std::size_t, kestrel::PropertyChangeParams> attached_;
    std::map<std::uint32_t, int> callsPerFunction_;
    std::uint32_t lastError_ = 0;
};

// A device whose "DriverDesc" is the adapter's description.
FakeDevice Adapter();
FakeDevice OtherDevice(const std::string& description);

}  // namespace testsupport
