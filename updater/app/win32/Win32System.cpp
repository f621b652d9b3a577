#include "Win32System.h"

#include <windows.h>

#include <ctime>

#include "base/win32/SystemFunction.h"

namespace meru {

SystemPort::OsVersion Win32System::Version() {
    OsVersion version;
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
    if (GetVersionExA(&info)) {
        version.windowsNT = info.dwPlatformId == VER_PLATFORM_WIN32_NT;
        version.major = info.dwMajorVersion;
    }
    return version;
}

// The power status is a function of Windows 95 and 2000 on, which NT 4
// lacks: looked up, so that the program still loads there.
bool Win32System::AcLineStatus(uint8_t& status) {
    const auto getPowerStatus =
        SystemFunction<decltype(&GetSystemPowerStatus)>("kernel32.dll", "GetSystemPowerStatus");
    SYSTEM_POWER_STATUS power = {};
    if (getPowerStatus == nullptr || !getPowerStatus(&power)) return false;
    status = power.ACLineStatus;
    return true;
}

std::tm Win32System::LocalTime() {
    const std::time_t now = std::time(nullptr);
    const std::tm* local = std::localtime(&now);
    return local != nullptr ? *local : std::tm{};
}

void Win32System::Sleep(uint32_t milliseconds) { ::Sleep(milliseconds); }

std::string Win32System::ComputerName() {
    char name[MAX_COMPUTERNAME_LENGTH + 1] = "";
    DWORD length = sizeof name;
    if (!GetComputerNameA(name, &length) || length >= sizeof name) return std::string();
    return std::string(name, length);
}

}  // namespace meru
