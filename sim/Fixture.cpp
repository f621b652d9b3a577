#include "Fixture.h"

#include <cstdio>

namespace sim {

namespace {

const char kProfileEnum[] = "system\\CurrentControlSet\\Hardware Profiles\\Current\\System\\CurrentControlSet\\Enum\\";
const char kVeloxPcCardId[] = "pcmcia\\velox-wlan_pc_card-4c1a";
const char kVeloxPciId[] = "pci\\ven_1d47&dev_0200";

}  // namespace

AdapterFixture::AdapterFixture(MemoryRegistry& registry, RegistryLayout layout) : registry_(registry), layout_(layout) {
    registry_.CreateKey(meru::kLocalMachine, ClassKeyPath());
}

OsVersion AdapterFixture::Os() const {
    switch (layout_) {
        case RegistryLayout::kWindowsNT4:
            return kWindowsNT4;
        case RegistryLayout::kWindows9x:
            return kWindows9x;
        case RegistryLayout::kWindows2000:
            break;
    }
    return kWindows2000;
}

std::string AdapterFixture::NextSubkey() {
    char name[16];
    const int number = added_++;
    if (layout_ == RegistryLayout::kWindowsNT4) {
        std::snprintf(name, sizeof name, "%d", number + 1);
    } else {
        std::snprintf(name, sizeof name, "%04d", number);
    }
    return name;
}

FixtureAdapter AdapterFixture::Add(const std::string& displayName, const std::string& matchingDeviceId) {
    FixtureAdapter adapter;
    adapter.subkey = NextSubkey();
    adapter.displayName = displayName;
    const std::string path = ClassKeyPath() + "\\" + adapter.subkey;
    char guid[48];
    std::snprintf(guid, sizeof guid, "{6B2F1C40-71D3-4E8A-9C5B-%012d}", added_);
    switch (layout_) {
        case RegistryLayout::kWindows2000:
            adapter.deviceName = guid;
            adapter.matchingDeviceId = matchingDeviceId;
            registry_.SetString(meru::kLocalMachine, path, "DriverDesc", displayName);
            registry_.SetString(meru::kLocalMachine, path, "NetCfgInstanceId", adapter.deviceName);
            registry_.SetString(meru::kLocalMachine, path, "MatchingDeviceId", matchingDeviceId);
            break;
        case RegistryLayout::kWindowsNT4:
            adapter.deviceName = "Velox" + adapter.subkey;
            registry_.SetString(meru::kLocalMachine, path, "Description", displayName);
            registry_.SetString(meru::kLocalMachine, path, "ServiceName", adapter.deviceName);
            break;
        case RegistryLayout::kWindows9x:
            adapter.deviceName = adapter.subkey;
            adapter.matchingDeviceId = matchingDeviceId;
            registry_.SetString(meru::kLocalMachine, path, "DriverDesc", displayName);
            registry_.SetString(meru::kLocalMachine, path, "MatchingDeviceId", matchingDeviceId);
            break;
    }
    return adapter;
}

FixtureAdapter AdapterFixture::AddVeloxAdapter(bool pci) {
    std::string name = pci ? "VELOX 11 Mbit/s Wireless LAN PCI Adapter" : "VELOX 11 Mbit/s Wireless LAN PC Card";
    if (added_ > 0) name += " #" + std::to_string(added_ + 1);
    return Add(name, pci ? kVeloxPciId : kVeloxPcCardId);
}

FixtureAdapter AdapterFixture::AddForeignAdapter() {
    return Add("Fast Ethernet PCI Adapter", "pci\\ven_10b7&dev_9200");
}

void AdapterFixture::AddNonAdapterSubkey(const std::string& name) {
    registry_.CreateKey(meru::kLocalMachine, ClassKeyPath() + "\\" + name);
    registry_.SetString(meru::kLocalMachine, ClassKeyPath() + "\\" + name, "InstallerLocation", "netcfgx.dll");
}

void AdapterFixture::Disable(const FixtureAdapter& adapter, bool behindEnabledInstance) {
    if (adapter.matchingDeviceId.empty()) return;
    const bool nt = Os().windowsNT;
    const meru::RegistryKey root = nt ? meru::kLocalMachine : meru::kCurrentConfig;
    const std::string enumRoot = nt ? kProfileEnum : "Enum\\";
    std::string deviceKey = enumRoot + adapter.matchingDeviceId;
    if (adapter.matchingDeviceId.compare(0, 4, "pci\\") == 0) {
        // PCI device keys carry the subsystem and revision after the id.
        deviceKey = enumRoot + "pci\\" + adapter.matchingDeviceId.substr(4) + "&subsys_00011d47&rev_01";
    }
    if (behindEnabledInstance) registry_.SetDword(root, deviceKey + "\\3&61aaa01&0&48", "CSConfigFlags", 0);
    registry_.SetDword(root, deviceKey + "\\4&2b8f0c3&0&50", "CSConfigFlags", 1);
}

std::vector<FixtureAdapter> FillNoAdapter(MemoryRegistry& registry) {
    AdapterFixture fixture(registry);
    return {};
}

std::vector<FixtureAdapter> FillOneAdapter(MemoryRegistry& registry) {
    AdapterFixture fixture(registry);
    std::vector<FixtureAdapter> adapters = {fixture.AddVeloxAdapter()};
    fixture.AddNonAdapterSubkey();
    return adapters;
}

std::vector<FixtureAdapter> FillTwoAdapters(MemoryRegistry& registry) {
    AdapterFixture fixture(registry);
    std::vector<FixtureAdapter> adapters = {fixture.AddVeloxAdapter(), fixture.AddVeloxAdapter()};
    fixture.AddNonAdapterSubkey();
    return adapters;
}

std::vector<FixtureAdapter> FillDisabledAdapter(MemoryRegistry& registry) {
    AdapterFixture fixture(registry);
    std::vector<FixtureAdapter> adapters = {fixture.AddVeloxAdapter()};
    fixture.AddNonAdapterSubkey();
    fixture.Disable(adapters[0]);
    return adapters;
}

}  // namespace sim
