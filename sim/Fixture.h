#pragma once

#include <string>
#include <vector>

#include "AdapterDirectory.h"
#include "MemoryRegistry.h"

namespace sim {

// Fills a MemoryRegistry with network adapters as Windows keeps them, for
// tests of discovery and of opening.

enum class RegistryLayout { kWindows2000, kWindowsNT4, kWindows9x };

struct FixtureAdapter {
    std::string subkey;
    std::string displayName;
    std::string deviceName;
    std::string matchingDeviceId;  // empty on NT 4
};

class AdapterFixture {
public:
    explicit AdapterFixture(MemoryRegistry& registry, RegistryLayout layout = RegistryLayout::kWindows2000);

    // The OsVersion a library needs to read this layout.
    OsVersion Os() const;
    std::string ClassKeyPath() const { return AdapterClassKeyPath(Os()); }

    // The next subkey ("0000", "0001", ...; "1", "2", ... on NT 4) with a
    // VELOX adapter, a PC Card or, with `pci`, a PCI device.
    FixtureAdapter AddVeloxAdapter(bool pci = false);
    // Another vendor's network adapter.
    FixtureAdapter AddForeignAdapter();
    // A subkey that describes no adapter.
    void AddNonAdapterSubkey(const std::string& name = "Properties");
    // Marks the adapter's device instance disabled in the current hardware
    // profile (CSConfigFlags bit 0), behind an enabled instance when
    // `behindEnabledInstance`.
    void Disable(const FixtureAdapter& adapter, bool behindEnabledInstance = false);

private:
    std::string NextSubkey();
    FixtureAdapter Add(const std::string& displayName, const std::string& matchingDeviceId);

    MemoryRegistry& registry_;
    RegistryLayout layout_;
    int added_ = 0;
};

// The usual scenes. Each returns the adapters it added.
std::vector<FixtureAdapter> FillNoAdapter(MemoryRegistry& registry);       // class key, no subkey
std::vector<FixtureAdapter> FillOneAdapter(MemoryRegistry& registry);      // adapter + non-adapter
std::vector<FixtureAdapter> FillTwoAdapters(MemoryRegistry& registry);     // two adapters + non-adapter
std::vector<FixtureAdapter> FillDisabledAdapter(MemoryRegistry& registry); // one adapter, disabled

}  // namespace sim
