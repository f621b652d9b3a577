#pragma once

#include "ServiceManagerPort.h"

namespace kestrel {

// ServiceManagerPort on the local Service Control Manager.
class Win32ServiceManager : public ServiceManagerPort {
public:
    Handle OpenManager(std::uint32_t access) override;
    Handle OpenServiceByName(Handle manager, const std::string& name, std::uint32_t access) override;
    Handle CreateServiceFrom(Handle manager, const ServiceConfig& config) override;
    void SendStop(Handle service) override;
    bool MarkForDeletion(Handle service) override;
    void CloseHandle(Handle handle) override;
};

}  // namespace kestrel
