#pragma once

#include <windows.h>

#include "DeviceSetPort.h"
#include "ServiceModule.h"

namespace kestrel {

// The class object of DevEnabler. It lives as long as the process, so its
// own references don't count; its lock requests change the server's lock
// count.
class DevEnablerFactory final : public IClassFactory {
public:
    DevEnablerFactory(ServerLockPort& locks, DeviceSetPort& devices) : locks_(locks), devices_(devices) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    // An outer object is accepted only when IUnknown is asked for.
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

private:
    ServerLockPort& locks_;
    DeviceSetPort& devices_;
};

}  // namespace kestrel
