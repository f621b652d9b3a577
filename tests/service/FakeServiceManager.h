#pragma once

#include <map>
#include <set>
#include <string>

#include "ServiceManagerPort.h"

namespace testsupport {

// A Service Control Manager holding services by name; counts handles so a
// test can see they were all closed.
class FakeServiceManager : public kestrel::ServiceManagerPort {
public:
    std::map<std::string, kestrel::ServiceConfig> services;
    bool managerFails = false;
    bool openFails = false;    // opening a service for stop and delete fails
    bool createFails = false;
    bool deleteFails = false;
    int created = 0;
    int deleted = 0;
    int stopsSent = 0;

    bool AllClosed() const { return open_.empty(); }

    Handle OpenManager(std::uint32_t access) override {
        if (managerFails || access != kestrel::kScManagerAllAccess) return 0;
        return Issue("");
    }
    Handle OpenServiceByName(Handle manager, const std::string& name, std::uint32_t access) override {
        if (!open_.count(manager) || !services.count(name)) return 0;
        if (openFails && access != kestrel::kServiceQueryConfig) return 0;
        return Issue(name);
    }
    Handle CreateServiceFrom(Handle manager, const kestrel::ServiceConfig& config) override {
        if (!open_.count(manager) || createFails || services.count(config.name)) return 0;
        services[config.name] = config;
        ++created;
        return Issue(config.name);
    }
    void SendStop(Handle service) override {
        if (open_.count(service)) ++stopsSent;
    }
    bool MarkForDeletion(Handle service) override {
        if (!open_.count(service) || deleteFails) return false;
        services.erase(open_[service]);
        ++deleted;
        return true;
    }
    void CloseHandle(Handle handle) override { open_.erase(handle); }

private:
    Handle Issue(const std::string& name) {
        open_[++last_] = name;
        return last_;
    }
    std::map<Handle, std::string> open_;
    Handle last_ = 0;
};

}  // namespace testsupport
