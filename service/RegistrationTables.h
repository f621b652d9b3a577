#pragma once

#include "RegistryEntries.h"

namespace kestrel {

// The service's name: the service and display name, the event source and
// the caption of every message box (string 100 of the program).
constexpr const char kServiceName[] = "Kestrelsvc";

// Entries of the program (its AppID), below HKEY_CLASSES_ROOT.
RegistryTable ModuleRegistrationTable();

// Entries of the DevEnabler class (ProgIDs and CLSID), below HKEY_CLASSES_ROOT;
// LocalServer32 names the program by "%MODULE%".
RegistryTable DevEnablerRegistrationTable();

// Key of the program's AppID, where LocalService and ServiceParameters live.
std::string AppIdKeyPath();

// Opens the key AppID and in it the program's AppID key (for writing when
// forWriting): 0 when both can be opened, else the registry error.
WinResult OpenAppIdKey(RegistryPort& registry, bool forWriting);

}  // namespace kestrel
