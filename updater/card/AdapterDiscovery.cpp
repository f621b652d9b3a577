#include "card/AdapterDiscovery.h"

#include <cctype>
#include <cstring>

#include "base/SessionLog.h"

namespace meru {

namespace {

const char kClassKeyWindows2000[] = "System\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002BE10318}";
const char kClassKeyNt4[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards";
const char kClassKeyWindows95[] = "System\\CurrentControlSet\\Services\\Class\\Net";

const char kProfileEnumNt[] =
    "system\\CurrentControlSet\\Hardware Profiles\\Current\\System\\CurrentControlSet\\Enum\\";
const char kProfileEnumWindows95[] = "Enum\\";

// "pci" and its separator in front of the PCI identity.
constexpr size_t kPciIdentityPrefix = 4;

// Case-insensitive comparison of at most `limit` characters (as _strnicmp).
int CompareNoCase(const char* a, const char* b, size_t limit) {
    for (size_t i = 0; i < limit; ++i) {
        const int ca = std::tolower(static_cast<unsigned char>(a[i]));
        const int cb = std::tolower(static_cast<unsigned char>(b[i]));
        if (ca != cb) return ca - cb;
        if (ca == 0) return 0;
    }
    return 0;
}

// A text value of at most kTextCapacity bytes, terminated inside `text`.
struct TextValue {
    char text[AdapterDiscovery::kTextCapacity + 1] = {};
};

long ReadTextValue(Registry& registry, RegistryKey key, const char* name, TextValue& value) {
    uint32_t size = AdapterDiscovery::kTextCapacity;
    const long status = registry.QueryValue(key, name, reinterpret_cast<uint8_t*>(value.text), size);
    value.text[status == kRegistrySuccess && size < AdapterDiscovery::kTextCapacity ? size
                                                                                    : AdapterDiscovery::kTextCapacity] = '\0';
    return status;
}

// Name of subkey number `index`, always terminated inside `name`.
long EnumSubkey(Registry& registry, RegistryKey key, uint32_t index, char (&name)[AdapterDiscovery::kTextCapacity]) {
    const long status = registry.EnumKey(key, index, name, AdapterDiscovery::kTextCapacity);
    name[AdapterDiscovery::kTextCapacity - 1] = '\0';
    return status;
}

}  // namespace

std::string AdapterDiscovery::AdapterClassKeyPath() {
    if (library_.IsWindowsNT()) {
        return library_.OSGetPlatformVersion(2) >= 5 ? kClassKeyWindows2000 : kClassKeyNt4;
    }
    return kClassKeyWindows95;
}

bool AdapterDiscovery::FillAdapterList(AdapterList& list) {
    const std::string path = AdapterClassKeyPath();
    LogPrintf("Registry Path =%s\n", path.c_str());

    RegistryKey classKey = 0;
    if (registry_.OpenKey(kLocalMachine, path.c_str(), classKey) != kRegistrySuccess) return true;

    for (uint32_t index = 0;; ++index) {
        char name[kTextCapacity] = {};
        if (EnumSubkey(registry_, classKey, index, name) != kRegistrySuccess) break;

        AdapterRegistryInfo info;
        const uint32_t described = library_.GetAdapterRegistryInfo(info, name);
        LogPrintf("Adapter Enum=%s\n", name);
        if (described != 0) break;

        const char* displayName = reinterpret_cast<const char*>(info.bytes + AdapterRegistryInfo::kDisplayNameOffset);
        const std::string shown(displayName,
                                strnlen(displayName, AdapterRegistryInfo::kDeviceNameOffset -
                                                         AdapterRegistryInfo::kDisplayNameOffset));
        LogPrintf("Adapter Name = %s\n", shown.c_str());
        const int position = list.Append(shown.c_str());
        if (position >= 0) list.SetItemValue(position, static_cast<uint32_t>(position));
    }
    registry_.CloseKey(classKey);
    return true;
}

bool AdapterDiscovery::IsAdapterEnabled(RegistryKey adapterKey) {
    TextValue matchingId;
    if (ReadTextValue(registry_, adapterKey, "MatchingDeviceId", matchingId) != kRegistrySuccess) return true;

    RegistryKey deviceKey = 0;
    if (OpenDeviceKey(matchingId.text, deviceKey) != kRegistrySuccess) return true;

    const bool disabled = AnyInstanceDisabled(deviceKey);
    registry_.CloseKey(deviceKey);
    return !disabled;
}

long AdapterDiscovery::OpenProfileEnumKey(const char* path, RegistryKey& opened) {
    if (library_.IsWindowsNT()) {
        return registry_.OpenKey(kLocalMachine, (std::string(kProfileEnumNt) + path).c_str(), opened);
    }
    return registry_.OpenKey(kCurrentConfig, (std::string(kProfileEnumWindows95) + path).c_str(), opened);
}

long AdapterDiscovery::OpenDeviceKey(const char* matchingDeviceId, RegistryKey& opened) {
    if (CompareNoCase(matchingDeviceId, "pci", 3) == 0) return OpenPciDeviceKey(matchingDeviceId, opened);
    return OpenProfileEnumKey(matchingDeviceId, opened);
}

bool AdapterDiscovery::AnyInstanceDisabled(RegistryKey deviceKey) {
    bool disabled = false;
    for (uint32_t index = 0;; ++index) {
        char name[kTextCapacity] = {};
        if (EnumSubkey(registry_, deviceKey, index, name) != kRegistrySuccess) break;

        RegistryKey instanceKey = 0;
        if (registry_.OpenKey(deviceKey, name, instanceKey) != kRegistrySuccess) break;
        uint8_t flags[kTextCapacity] = {};
        uint32_t size = kTextCapacity;
        const long status = registry_.QueryValue(instanceKey, "CSConfigFlags", flags, size);
        registry_.CloseKey(instanceKey);
        if (status != kRegistrySuccess) break;

        if (size > 0 && (flags[0] & 0x01) != 0) {  // CSCONFIGFLAG_DISABLED
            disabled = true;
            LogPrintf("Disabled adapter detected.\n");
        }
    }
    return disabled;
}

long AdapterDiscovery::OpenPciDeviceKey(const char* matchingDeviceId, RegistryKey& opened) {
    RegistryKey pciKey = 0;
    if (OpenProfileEnumKey("pci", pciKey) != kRegistrySuccess) return kRegistryNotFound;

    // An identity too short to carry anything after "pci" and its separator matches no device.
    const size_t idLength = strnlen(matchingDeviceId, kTextCapacity);
    const char* prefix = idLength > kPciIdentityPrefix ? matchingDeviceId + kPciIdentityPrefix : nullptr;

    char best[kTextCapacity] = {};
    if (prefix != nullptr) {
        const size_t prefixLength = std::strlen(prefix);
        for (uint32_t index = 0;; ++index) {
            char name[kTextCapacity] = {};
            if (EnumSubkey(registry_, pciKey, index, name) != kRegistrySuccess) break;
            if (CompareNoCase(name, prefix, prefixLength) == 0 && CompareNoCase(name, best, kTextCapacity) > 0) {
                std::memcpy(best, name, sizeof best);
                LogPrintf("Found PCI Device %s\n", best);
            }
        }
    }

    long status = kRegistryNotFound;
    if (best[0] != '\0') status = registry_.OpenKey(pciKey, best, opened);
    registry_.CloseKey(pciKey);
    return status;
}

}  // namespace meru
