#include "AdapterDirectory.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace sim {

namespace {

constexpr uint32_t kValueBytes = 260;

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

// A string value up to its terminator; nothing when missing or too long.
std::optional<std::string> ReadText(meru::Registry& registry, meru::RegistryKey key, const char* name) {
    std::vector<uint8_t> data(kValueBytes, 0);
    uint32_t size = kValueBytes;
    if (registry.QueryValue(key, name, data.data(), size) != meru::kRegistrySuccess) return std::nullopt;
    std::string text(data.begin(), data.begin() + std::min(size, kValueBytes));
    const size_t end = text.find('\0');
    if (end != std::string::npos) text.resize(end);
    return text;
}

}  // namespace

std::string AdapterClassKeyPath(const OsVersion& os) {
    if (!os.windowsNT) return "System\\CurrentControlSet\\Services\\Class\\Net";
    if (os.platformVersion >= 5) {
        return "System\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002BE10318}";
    }
    return "Software\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards";
}

bool SameName(const std::string& a, const std::string& b) { return Upper(a) == Upper(b); }

bool IsVeloxAdapter(const AdapterEntry& adapter) {
    return Upper(adapter.displayName).find("VELOX") != std::string::npos;
}

std::optional<AdapterEntry> DescribeAdapter(meru::Registry& registry, const OsVersion& os,
                                            const std::string& subkey) {
    if (subkey.empty()) return std::nullopt;
    meru::RegistryKey key = 0;
    const std::string path = AdapterClassKeyPath(os) + "\\" + subkey;
    if (registry.OpenKey(meru::kLocalMachine, path.c_str(), key) != meru::kRegistrySuccess) return std::nullopt;
    const bool windows2000 = os.windowsNT && os.platformVersion >= 5;
    const std::optional<std::string> display = ReadText(registry, key, os.windowsNT && !windows2000 ? "Description" : "DriverDesc");
    std::optional<std::string> device;
    if (!os.windowsNT) {
        device = subkey;
    } else {
        device = ReadText(registry, key, windows2000 ? "NetCfgInstanceId" : "ServiceName");
    }
    registry.CloseKey(key);
    if (!display || !device || display->empty() || device->empty()) return std::nullopt;
    return AdapterEntry{subkey, *display, *device};
}

std::optional<AdapterEntry> FindAdapterByOpenName(meru::Registry& registry, const OsVersion& os,
                                                  const std::string& openName) {
    std::string wanted = openName;
    if (os.windowsNT) {
        const std::string prefix = "\\DEVICE\\";
        if (Upper(openName.substr(0, prefix.size())) != prefix) return std::nullopt;
        wanted = openName.substr(prefix.size());
    }
    meru::RegistryKey classKey = 0;
    if (registry.OpenKey(meru::kLocalMachine, AdapterClassKeyPath(os).c_str(), classKey) != meru::kRegistrySuccess) {
        return std::nullopt;
    }
    std::optional<AdapterEntry> found;
    char name[256];
    for (uint32_t index = 0; !found && registry.EnumKey(classKey, index, name, sizeof name) == meru::kRegistrySuccess;
         ++index) {
        std::optional<AdapterEntry> adapter = DescribeAdapter(registry, os, name);
        if (!adapter) continue;
        if (SameName(os.windowsNT ? adapter->deviceName : adapter->subkey, wanted)) found = adapter;
    }
    registry.CloseKey(classKey);
    return found;
}

}  // namespace sim
