#include "Win32System.h"

#include <windows.h>

#include <ctime>

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

bool Win32System::AcLineStatus(uint8_t& status) {
    SYSTEM_POWER_STATUS power = {};
    if (!GetSystemPowerStatus(&power)) return false;
    status = power.ACLineStatus;
    return true;
}

std::tm Win32System::LocalTime() {
    const std::time_t now = std::time(nullptr);
    const std::tm* local = std::localtime(&now);
    return local != nullptr ? *local : std::tm{};
}

void Win32System::Sleep(uint32_t milliseconds) { ::Sleep(milliseconds); }

}  // namespace meru
