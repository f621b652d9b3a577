#include "ServerRegistration.h"

#include "CommandPath.h"
#include "RegistrationTables.h"

namespace kestrel {
namespace {

// Marks the program as a service: the AppID starts it by service name with "-Service".
WinResult WriteServiceValues(RegistryPort& registry) {
    const std::string appId = AppIdKeyPath();
    WinResult result = registry.SetString(appId, "LocalService", kServiceName);
    if (result == kErrorSuccess) result = registry.SetString(appId, "ServiceParameters", "-Service");
    return result;
}

WinResult RegisterWithCom(bool asService, const ModuleFiles& module, HostPlatform& platform,
                          RegistryPort& registry, ServiceInstaller& installer) {
    installer.Uninstall();  // an installed service may point at another copy of the program

    const std::string server = CommandPath(module.shortPath);
    WinResult result = ApplyRegistryTable(ModuleRegistrationTable(), server, registry);
    if (result != kErrorSuccess) return result;
    result = OpenAppIdKey(registry, true);
    if (result != kErrorSuccess) return result;

    // A local server starts without "-Service": both values of an earlier
    // service registration go.
    registry.DeleteValue(AppIdKeyPath(), "LocalService");
    registry.DeleteValue(AppIdKeyPath(), "ServiceParameters");
    if (asService) {
        result = WriteServiceValues(registry);
        if (result != kErrorSuccess) return result;
        installer.Install();  // failures are shown to the user and don't change the result
    }

    result = ApplyRegistryTable(DevEnablerRegistrationTable(), server, registry);
    if (result != kErrorSuccess) return result;
    return platform.RegisterTypeLibrary(module.fullPath, module.directory);
}

}  // namespace

WinResult RegisterServer(bool asService, const ModuleFiles& module, HostPlatform& platform,
                         RegistryPort& registry, ServiceInstaller& installer) {
    const WinResult initialised = platform.InitializeCom();
    if (initialised < 0) return initialised;
    const WinResult result = RegisterWithCom(asService, module, platform, registry, installer);
    platform.UninitializeCom();
    return result;
}

WinResult UnregisterServer(const ModuleFiles& module, HostPlatform& platform,
                           RegistryPort& registry, ServiceInstaller& installer) {
    const WinResult initialised = platform.InitializeCom();
    if (initialised < 0) return initialised;
    RemoveRegistryTable(ModuleRegistrationTable(), registry);
    installer.Uninstall();
    RemoveRegistryTable(DevEnablerRegistrationTable(), registry);
    platform.UnregisterTypeLibrary(module.fullPath);
    platform.UninitializeCom();
    return kErrorSuccess;
}

}  // namespace kestrel
