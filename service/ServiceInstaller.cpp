#include "ServiceInstaller.h"

#include <utility>

#include "CommandPath.h"

namespace kestrel {

ServiceInstaller::ServiceInstaller(ServiceManagerPort& manager, NoticePort& notices,
                                   std::string serviceName, std::string binaryPath)
    : manager_(manager),
      notices_(notices),
      serviceName_(std::move(serviceName)),
      binaryPath_(std::move(binaryPath)) {}

bool ServiceInstaller::Fail(const char* text) {
    notices_.ShowNotice(text, serviceName_);
    return false;
}

bool ServiceInstaller::IsInstalled() {
    const ServiceManagerPort::Handle scm = manager_.OpenManager(kScManagerAllAccess);
    if (scm == 0) return false;
    const ServiceManagerPort::Handle service =
        manager_.OpenServiceByName(scm, serviceName_, kServiceQueryConfig);
    if (service != 0) manager_.CloseHandle(service);
    manager_.CloseHandle(scm);
    return service != 0;
}

bool ServiceInstaller::Install() {
    if (IsInstalled()) return true;
    const ServiceManagerPort::Handle scm = manager_.OpenManager(kScManagerAllAccess);
    if (scm == 0) return Fail("Couldn't open service manager");

    ServiceConfig config;
    config.name = serviceName_;
    config.displayName = serviceName_;
    config.access = kServiceAllAccess;
    config.serviceType = kServiceWin32OwnProcess;
    config.startType = kServiceAutoStart;
    config.errorControl = kServiceErrorNormal;
    config.binaryPath = CommandPath(binaryPath_);
    config.dependencies = {"RPCSS"};
    const ServiceManagerPort::Handle service = manager_.CreateServiceFrom(scm, config);
    if (service == 0) {
        manager_.CloseHandle(scm);
        return Fail("Couldn't create service");
    }
    manager_.CloseHandle(service);
    manager_.CloseHandle(scm);
    return true;
}

bool ServiceInstaller::Uninstall() {
    if (!IsInstalled()) return true;
    const ServiceManagerPort::Handle scm = manager_.OpenManager(kScManagerAllAccess);
    if (scm == 0) return Fail("Couldn't open service manager");
    const ServiceManagerPort::Handle service =
        manager_.OpenServiceByName(scm, serviceName_, kServiceStop | kDeleteAccess);
    if (service == 0) {
        manager_.CloseHandle(scm);
        return Fail("Couldn't open service");
    }
    manager_.SendStop(service);
    const bool deleted = manager_.MarkForDeletion(service);
    manager_.CloseHandle(service);
    manager_.CloseHandle(scm);
    return deleted ? true : Fail("Service could not be deleted");
}

}  // namespace kestrel
