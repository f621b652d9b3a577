#pragma once

#include "card/AccessLibrary.h"

namespace testsupport {

// An access library that passes every call on to another one; tests derive
// from it to watch the requests (Observe sees each before it is passed on).
class ForwardingLibrary : public meru::AccessLibrary {
public:
    explicit ForwardingLibrary(meru::AccessLibrary& inner) : inner_(inner) {}

    bool IsWindowsNT() override { return inner_.IsWindowsNT(); }
    uint32_t OSGetPlatformVersion(uint32_t which) override { return inner_.OSGetPlatformVersion(which); }
    uint32_t GetAdapterRegistryInfo(meru::AdapterRegistryInfo& info, const char* subkey) override {
        return inner_.GetAdapterRegistryInfo(info, subkey);
    }
    int32_t OpenAdapter(const char* name) override { return inner_.OpenAdapter(name); }
    uint32_t GetLastError() override { return inner_.GetLastError(); }
    void CloseAdapter(int32_t handle) override { inner_.CloseAdapter(handle); }
    uint32_t MakeNdisRequest(int32_t handle, const meru::NdisRequest& request, void* overlapped) override {
        Observe(request);
        return inner_.MakeNdisRequest(handle, request, overlapped);
    }
    bool IsWindows95() override { return inner_.IsWindows95(); }

protected:
    virtual void Observe(const meru::NdisRequest& request) = 0;

private:
    meru::AccessLibrary& inner_;
};

}  // namespace testsupport
