#include "DevEnablerMethods.h"

#include <cstring>
#include <initializer_list>

#include "WinResult.h"

namespace kestrel {

// The state of one call's device search: rebuilt by every call.
struct DevEnablerMethods::Search {
    DeviceSetPort::Handle list = DeviceSetPort::kInvalidHandle;
    DeviceRecord device{};
    std::uint32_t index = 0;
    bool listEnded = false;  // no device matched
};

namespace {

// A failure's Windows error, unless it would read as the method's success
// (or as no error at all); then the fallback.
std::int32_t UnambiguousError(std::uint32_t error, std::int32_t successCode, std::int32_t fallback) {
    const auto code = static_cast<std::int32_t>(error);
    return (code == 0 || code == successCode) ? fallback : code;
}

}  // namespace

bool DevEnablerMethods::FindAdapter(Search& search, std::int32_t successCode, std::int32_t& code) {
    search.device = DeviceRecord{};
    search.device.size = sizeof(DeviceRecord);
    search.list = devices_.GetClassDevices(kNetworkClassGuid, kClassListFlags);
    if (search.list == DeviceSetPort::kInvalidHandle) {
        code = kCodeNoDeviceList;
        return false;
    }
    for (search.index = 0; devices_.EnumDeviceInfo(search.list, search.index, search.device);
         ++search.index) {
        const DeviceSetPort::Handle key = devices_.OpenDeviceKey(
            search.list, search.device, kScopeGlobal, 0, kDriverKey, kKeyReadWrite);
        if (key == DeviceSetPort::kInvalidHandle) {
            Release(search);
            code = kCodeNoDriverKey;
            return false;
        }
        code = 0;
        const bool matches = DescriptionMatches(key, code);
        devices_.CloseKey(key);
        if (code != 0) {
            Release(search);
            return false;
        }
        if (matches) return true;
    }
    // The fetch's last error, taken before the release can change it.
    code = UnambiguousError(devices_.LastError(), successCode, kErrorNoMoreItems);
    search.listEnded = true;
    Release(search);
    return false;
}

bool DevEnablerMethods::DescriptionMatches(DeviceSetPort::Handle key, std::int32_t& code) {
    std::uint8_t text[kDriverDescBytes] = {};
    std::uint32_t size = sizeof text;
    if (devices_.QueryKeyValue(key, "DriverDesc", text, size) != 0) {
        code = kCodeNoDescription;
        return false;
    }
    // The text ends at its NUL, or with the value's data when it has none.
    std::size_t length = size < sizeof text ? size : sizeof text;
    const void* nul = std::memchr(text, 0, length);
    if (nul != nullptr) length = static_cast<std::size_t>(static_cast<const std::uint8_t*>(nul) - text);
    return length == sizeof kAdapterDescription - 1 &&
           std::memcmp(text, kAdapterDescription, length) == 0;
}

std::int32_t DevEnablerMethods::ChangeState(Search& search, std::uint32_t stateChange,
                                            std::uint32_t scope, std::int32_t successCode) {
    PropertyChangeParams params;
    params.installFunction = kDifPropertyChange;
    params.stateChange = stateChange;
    params.scope = scope;
    params.hardwareProfile = 0;  // the current profile
    if (!devices_.SetPropertyChangeParams(search.list, search.device, params)) {
        return UnambiguousError(devices_.LastError(), successCode, kErrorGenFailure);
    }
    if (!devices_.CallClassInstaller(kDifPropertyChange, search.list, search.device)) {
        return kCodePropertyChangeFailed;
    }
    if (!devices_.CallClassInstaller(kDifDestroyPrivateData, search.list, search.device)) {
        return kCodeDestroyPrivateDataFailed;
    }
    return successCode;
}

bool DevEnablerMethods::Release(Search& search) {
    const bool released = devices_.DestroyDeviceList(search.list);
    search.list = DeviceSetPort::kInvalidHandle;
    return released;
}

std::int32_t DevEnablerMethods::Switch(std::uint32_t stateChange, std::initializer_list<std::uint32_t> scopes,
                                       std::int32_t successCode) {
    Search search;
    std::int32_t code = 0;
    if (!FindAdapter(search, successCode, code)) return code;
    for (const std::uint32_t scope : scopes) {
        code = ChangeState(search, stateChange, scope, successCode);
        if (code != successCode) {
            Release(search);
            return code;
        }
    }
    return Release(search) ? successCode : kCodeReleaseFailed;
}

std::int32_t DevEnablerMethods::EnableDevice() {
    // Globally first, then for the current profile: an adapter disabled either way comes back.
    return Switch(kStateEnable, {kScopeGlobal, kScopeConfigSpecific}, kCodeEnabled);
}

std::int32_t DevEnablerMethods::DisableDevice() {
    return Switch(kStateDisable, {kScopeConfigSpecific}, kCodeDisabled);
}

std::int32_t DevEnablerMethods::EnumerateNics() {
    Search search;
    std::int32_t code = 0;
    if (!FindAdapter(search, kCodeAdapterPresent, code)) return code;
    Release(search);  // only the finding counts here
    return kCodeAdapterPresent;
}

std::int32_t DevEnablerMethods::GetCurStatus() {
    Search search;
    std::int32_t code = 0;
    if (!FindAdapter(search, kCodePresentEnabled, code)) return search.listEnded ? kCodeNoAdapter : code;
    std::uint32_t status = 0;
    std::uint32_t problem = 0;
    if (devices_.GetDevNodeStatus(search.device.devInst, status, problem) != kConfigRetSuccess) {
        Release(search);
        return kCodeNoStatus;
    }
    if (!Release(search)) return kCodeReleaseFailed;
    const bool disabled = (status & kDevNodeHasProblem) != 0 && problem == kProblemDisabled;
    return disabled ? kCodePresentDisabled : kCodePresentEnabled;
}

}  // namespace kestrel
