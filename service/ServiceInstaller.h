#pragma once

#include <string>

#include "HostPlatform.h"
#include "ServiceManagerPort.h"

namespace kestrel {

// Installs and removes the program as an auto-start service under the
// Service Control Manager. Failures are shown in message boxes captioned
// with the service name.
class ServiceInstaller {
public:
    ServiceInstaller(ServiceManagerPort& manager, NoticePort& notices, std::string serviceName,
                     std::string binaryPath);

    bool IsInstalled();
    // Nothing to do when installed already.
    bool Install();
    // Stops and deletes the service; nothing to do when it isn't installed.
    bool Uninstall();

private:
    bool Fail(const char* text);

    ServiceManagerPort& manager_;
    NoticePort& notices_;
    std::string serviceName_;
    std::string binaryPath_;
};

}  // namespace kestrel
