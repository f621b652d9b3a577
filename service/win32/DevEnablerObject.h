#pragma once

#include <windows.h>

#include "DeviceSetPort.h"
#include "Kestrelsvc.h"
#include "ServiceModule.h"

namespace kestrel {

// The DevEnabler COM object: IDevEnabler (dual), IDispatch and IUnknown.
// It can be aggregated; its reference count is a plain counter because
// it lives in one single-threaded apartment. Each live object holds one
// unit of the server's lock count.
class DevEnabler final : public IDevEnabler {
public:
    // Makes an object (inside `outer` when given) and hands out riid from
    // its own, non-delegating IUnknown.
    static HRESULT Create(IUnknown* outer, REFIID riid, void** object, ServerLockPort& locks,
                          DeviceSetPort& devices);

    // IUnknown: delegated to the outer object (or the object's own).
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IDispatch, served from the registered type library.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID riid, LCID locale, WORD flags,
                                     DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                     UINT* argumentError) override;

    // IDevEnabler: each HRESULT is the method's result code.
    HRESULT STDMETHODCALLTYPE EnableDevice(BSTR bstrDevice) override;
    HRESULT STDMETHODCALLTYPE DisableDevice(BSTR bstrDevice) override;
    HRESULT STDMETHODCALLTYPE EnumerateNics() override;
    HRESULT STDMETHODCALLTYPE GetCurStatus() override;

private:
    // The object's own IUnknown, which owns the reference count.
    class OwnUnknown : public IUnknown {
    public:
        explicit OwnUnknown(DevEnabler& owner) : owner_(owner) {}
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
        ULONG STDMETHODCALLTYPE AddRef() override;
        ULONG STDMETHODCALLTYPE Release() override;

    private:
        DevEnabler& owner_;
    };

    DevEnabler(IUnknown* outer, ServerLockPort& locks, DeviceSetPort& devices);
    ~DevEnabler();

    OwnUnknown own_;
    IUnknown* controlling_;  // the outer object, or own_
    ULONG references_ = 0;
    ServerLockPort& locks_;
    DeviceSetPort& devices_;
};

}  // namespace kestrel
