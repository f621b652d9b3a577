#pragma once

#include "HostPlatform.h"
#include "ModuleFiles.h"
#include "RegistryPort.h"
#include "ServiceInstaller.h"

namespace kestrel {

// Writes the AppID and class entries and registers the type library; as a
// service also sets LocalService/ServiceParameters and installs the
// service. An installed service of the same name is removed first either
// way. Returns 0 or the COM or registry error that stopped it.
WinResult RegisterServer(bool asService, const ModuleFiles& module, HostPlatform& platform,
                         RegistryPort& registry, ServiceInstaller& installer);

// Removes the entries, the service and the type library registration.
// Returns 0, or the error of COM initialisation.
WinResult UnregisterServer(const ModuleFiles& module, HostPlatform& platform,
                           RegistryPort& registry, ServiceInstaller& installer);

}  // namespace kestrel
