#include "RegistrationTables.h"

#include "ServiceGuids.h"

namespace kestrel {
namespace {

const char kClassDescription[] = "DevEnabler Class";
const char kProgId[] = "Kestrelsvc.DevEnabler.1";
const char kVersionIndependentProgId[] = "Kestrelsvc.DevEnabler";

RegistryKeyEntry KeyWithDefault(const std::string& name, const std::string& defaultValue) {
    RegistryKeyEntry key;
    key.name = name;
    key.defaultValue = defaultValue;
    return key;
}

RegistryKeyEntry ProgIdKey(const std::string& progId) {
    RegistryKeyEntry key = KeyWithDefault(progId, kClassDescription);
    key.subkeys.push_back(KeyWithDefault("CLSID", kDevEnablerClsidText));
    return key;
}

}  // namespace

RegistryTable ModuleRegistrationTable() {
    RegistryKeyEntry appIdRoot;
    appIdRoot.name = "AppID";
    appIdRoot.neverRemoved = true;
    appIdRoot.subkeys.push_back(KeyWithDefault(kAppIdText, kServiceName));

    RegistryKeyEntry executable;
    executable.name = "Kestrelsvc.EXE";
    executable.values.push_back({"AppID", kAppIdText});
    appIdRoot.subkeys.push_back(executable);
    return {appIdRoot};
}

RegistryTable DevEnablerRegistrationTable() {
    RegistryKeyEntry versioned = ProgIdKey(kProgId);

    RegistryKeyEntry independent = ProgIdKey(kVersionIndependentProgId);
    independent.subkeys.push_back(KeyWithDefault("CurVer", kProgId));

    RegistryKeyEntry classKey = KeyWithDefault(kDevEnablerClsidText, kClassDescription);
    classKey.removedBeforeWrite = true;
    classKey.values.push_back({"AppID", kAppIdText});
    classKey.subkeys.push_back(KeyWithDefault("ProgID", kProgId));
    classKey.subkeys.push_back(KeyWithDefault("VersionIndependentProgID", kVersionIndependentProgId));
    RegistryKeyEntry programmable;
    programmable.name = "Programmable";
    programmable.removedBeforeWrite = true;
    classKey.subkeys.push_back(programmable);
    classKey.subkeys.push_back(KeyWithDefault("LocalServer32", "%MODULE%"));
    classKey.subkeys.push_back(KeyWithDefault("TypeLib", kLibIdText));

    RegistryKeyEntry clsidRoot;
    clsidRoot.name = "CLSID";
    clsidRoot.neverRemoved = true;
    clsidRoot.subkeys.push_back(classKey);
    return {versioned, independent, clsidRoot};
}

std::string AppIdKeyPath() { return std::string("AppID\\") + kAppIdText; }

WinResult OpenAppIdKey(RegistryPort& registry, bool forWriting) {
    const WinResult result = registry.OpenKey("AppID", forWriting);
    return result == kErrorSuccess ? registry.OpenKey(AppIdKeyPath(), forWriting) : result;
}

}  // namespace kestrel
