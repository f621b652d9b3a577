#include "DevEnablerFactory.h"

#include "DevEnablerObject.h"

namespace kestrel {

HRESULT DevEnablerFactory::QueryInterface(REFIID riid, void** object) {
    if (object == nullptr) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
        *object = static_cast<IClassFactory*>(this);
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT DevEnablerFactory::CreateInstance(IUnknown* outer, REFIID riid, void** object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (outer != nullptr && !IsEqualIID(riid, IID_IUnknown)) return CLASS_E_NOAGGREGATION;
    return DevEnabler::Create(outer, riid, object, locks_, devices_);
}

HRESULT DevEnablerFactory::LockServer(BOOL lock) {
    locks_.LockServer(lock != FALSE);
    return S_OK;
}

}  // namespace kestrel
