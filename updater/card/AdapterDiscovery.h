#pragma once

#include <string>

#include "card/AccessLibrary.h"
#include "card/AdapterList.h"
#include "card/Registry.h"

namespace meru {

// Finds the adapters the access library can serve in the network-adapter
// class key, and tells whether an adapter's device instance is disabled in
// the current hardware profile. Reads the registry only; shows nothing.
class AdapterDiscovery {
public:
    // Buffers for subkey names and values.
    static constexpr uint32_t kTextCapacity = 200;

    AdapterDiscovery(AccessLibrary& library, Registry& registry) : library_(library), registry_(registry) {}

    // The class key path of the running system (below HKEY_LOCAL_MACHINE).
    std::string AdapterClassKeyPath();
    // Appends every adapter up to the first subkey that is not one; always true.
    bool FillAdapterList(AdapterList& list);
    // False when an instance of the adapter (its open class subkey) is
    // disabled; true otherwise, also when something needed is missing.
    bool IsAdapterEnabled(RegistryKey adapterKey);
    // Opens the PCI device key matching a "pci..." identity: 0 with the key,
    // 2 when none matches, else the status of opening the match.
    long OpenPciDeviceKey(const char* matchingDeviceId, RegistryKey& opened);

private:
    // Opens `path` below the device enumeration of the current hardware profile.
    long OpenProfileEnumKey(const char* path, RegistryKey& opened);
    long OpenDeviceKey(const char* matchingDeviceId, RegistryKey& opened);
    bool AnyInstanceDisabled(RegistryKey deviceKey);

    AccessLibrary& library_;
    Registry& registry_;
};

}  // namespace meru
