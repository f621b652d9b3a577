#include "Win32ServiceManager.h"

#include <windows.h>

#include "TextConversion.h"

namespace kestrel {
namespace {

SC_HANDLE Sc(ServiceManagerPort::Handle handle) { return reinterpret_cast<SC_HANDLE>(handle); }
ServiceManagerPort::Handle Port(SC_HANDLE handle) { return reinterpret_cast<ServiceManagerPort::Handle>(handle); }

}  // namespace

ServiceManagerPort::Handle Win32ServiceManager::OpenManager(std::uint32_t access) {
    return Port(OpenSCManagerW(nullptr, nullptr, access));
}

ServiceManagerPort::Handle Win32ServiceManager::OpenServiceByName(Handle manager, const std::string& name,
                                                                  std::uint32_t access) {
    return Port(OpenServiceW(Sc(manager), Widen(name).c_str(), access));
}

ServiceManagerPort::Handle Win32ServiceManager::CreateServiceFrom(Handle manager, const ServiceConfig& config) {
    std::wstring dependencies;  // each name ended by a NUL, the list by a second one
    for (const std::string& name : config.dependencies) dependencies += Widen(name) + L'\0';
    dependencies += L'\0';
    return Port(CreateServiceW(Sc(manager), Widen(config.name).c_str(), Widen(config.displayName).c_str(),
                               config.access, config.serviceType, config.startType, config.errorControl,
                               Widen(config.binaryPath).c_str(), nullptr, nullptr, dependencies.c_str(),
                               nullptr /* LocalSystem */, nullptr));
}

void Win32ServiceManager::SendStop(Handle service) {
    SERVICE_STATUS status;
    ControlService(Sc(service), SERVICE_CONTROL_STOP, &status);
}

bool Win32ServiceManager::MarkForDeletion(Handle service) { return DeleteService(Sc(service)) != FALSE; }

void Win32ServiceManager::CloseHandle(Handle handle) { CloseServiceHandle(Sc(handle)); }

}  // namespace kestrel
