// Process entry of Kestrelsvc.exe: wires the Windows bindings to the
// service module and runs it.
#include <windows.h>

#include <string>

#include "RegistrationTables.h"
#include "ServiceModule.h"
#include "TextConversion.h"
#include "Win32HostPlatform.h"
#include "Win32Registry.h"
#include "Win32ServiceManager.h"

namespace {

constexpr UINT kServiceNameString = 100;

// The service name from the string table (at most 255 characters).
std::string ServiceName() {
    wchar_t text[256] = {};
    const int length = LoadStringW(GetModuleHandleW(nullptr), kServiceNameString, text, 256);
    if (length <= 0) return kestrel::kServiceName;
    return kestrel::Narrow(std::wstring(text, static_cast<std::size_t>(length)));
}

// The program's full path (at most 260 characters) and its short form.
bool LocateModule(kestrel::ModuleFiles& module) {
    wchar_t full[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, full, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return false;
    wchar_t shortForm[MAX_PATH];
    const DWORD shortLength = GetShortPathNameW(full, shortForm, MAX_PATH);
    const bool hasShortForm = shortLength > 0 && shortLength < MAX_PATH;
    module = kestrel::DescribeModule(kestrel::Narrow(std::wstring(full, length)),
                                     hasShortForm ? kestrel::Narrow(std::wstring(shortForm, shortLength)) : "");
    return true;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    kestrel::ModuleFiles module;
    if (!LocateModule(module)) return ERROR_FILENAME_EXCED_RANGE;

    kestrel::Win32HostPlatform platform;
    kestrel::Win32Registry registry;
    kestrel::Win32ServiceManager manager;
    kestrel::ServiceModule service(platform, registry, manager, module, ServiceName());
    platform.Attach(service);
    return service.Run(kestrel::Narrow(GetCommandLineW()));
}
