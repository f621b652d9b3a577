#include "DevEnablerObject.h"

#include <new>
#include <string>
#include <utility>
#include <vector>

#include "DevEnablerMethods.h"

namespace kestrel {
namespace {

// The type information of IDevEnabler, loaded from the registered type
// library by the first call that needs it and kept for the process's life,
// with the interface's member names for GetIDsOfNames.
struct TypeInformation {
    ITypeInfo* info = nullptr;
    std::vector<std::pair<std::wstring, DISPID>> members;
};

TypeInformation& Cached() {
    static TypeInformation cached;
    return cached;
}

void CacheMemberNames(TypeInformation& cached) {
    TYPEATTR* attributes = nullptr;
    if (FAILED(cached.info->GetTypeAttr(&attributes))) return;
    for (UINT i = 0; i < attributes->cFuncs; ++i) {
        FUNCDESC* function = nullptr;
        if (FAILED(cached.info->GetFuncDesc(i, &function))) continue;
        BSTR name = nullptr;
        if (SUCCEEDED(cached.info->GetDocumentation(function->memid, &name, nullptr, nullptr, nullptr))) {
            cached.members.emplace_back(std::wstring(name, SysStringLen(name)), function->memid);
            SysFreeString(name);
        }
        cached.info->ReleaseFuncDesc(function);
    }
    cached.info->ReleaseTypeAttr(attributes);
}

HRESULT LoadTypeInformation(LCID locale, TypeInformation*& out) {
    TypeInformation& cached = Cached();
    if (cached.info == nullptr) {
        ITypeLib* library = nullptr;
        HRESULT result = LoadRegTypeLib(LIBID_KESTRELSVCLib, 1, 0, locale, &library);
        if (FAILED(result)) return result;
        ITypeInfo* info = nullptr;
        result = library->GetTypeInfoOfGuid(IID_IDevEnabler, &info);
        library->Release();
        if (FAILED(result)) return result;
        // A dual interface is described twice; Invoke needs the vtable side.
        HREFTYPE vtableSide = 0;
        ITypeInfo* vtableInfo = nullptr;
        if (SUCCEEDED(info->GetRefTypeOfImplType(static_cast<UINT>(-1), &vtableSide)) &&
            SUCCEEDED(info->GetRefTypeInfo(vtableSide, &vtableInfo))) {
            info->Release();
            info = vtableInfo;
        }
        cached.info = info;
        CacheMemberNames(cached);
    }
    out = &cached;
    return S_OK;
}

}  // namespace

HRESULT DevEnabler::Create(IUnknown* outer, REFIID riid, void** object, ServerLockPort& locks,
                           DeviceSetPort& devices) {
    DevEnabler* made = new (std::nothrow) DevEnabler(outer, locks, devices);
    if (made == nullptr) return E_OUTOFMEMORY;
    made->own_.AddRef();
    const HRESULT result = made->own_.QueryInterface(riid, object);
    made->own_.Release();  // destroys the object when the interface was refused
    return result;
}

DevEnabler::DevEnabler(IUnknown* outer, ServerLockPort& locks, DeviceSetPort& devices)
    : own_(*this), controlling_(outer != nullptr ? outer : &own_), locks_(locks), devices_(devices) {
    locks_.Lock();
}

DevEnabler::~DevEnabler() { locks_.Unlock(); }

HRESULT DevEnabler::OwnUnknown::QueryInterface(REFIID riid, void** object) {
    if (object == nullptr) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown)) {
        *object = static_cast<IUnknown*>(this);
    } else if (IsEqualIID(riid, IID_IDevEnabler) || IsEqualIID(riid, IID_IDispatch)) {
        *object = static_cast<IDevEnabler*>(&owner_);
    } else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    static_cast<IUnknown*>(*object)->AddRef();
    return S_OK;
}

ULONG DevEnabler::OwnUnknown::AddRef() { return ++owner_.references_; }

ULONG DevEnabler::OwnUnknown::Release() {
    const ULONG left = --owner_.references_;
    if (left == 0) delete &owner_;
    return left;
}

HRESULT DevEnabler::QueryInterface(REFIID riid, void** object) { return controlling_->QueryInterface(riid, object); }
ULONG DevEnabler::AddRef() { return controlling_->AddRef(); }
ULONG DevEnabler::Release() { return controlling_->Release(); }

HRESULT DevEnabler::GetTypeInfoCount(UINT* count) {
    if (count == nullptr) return E_POINTER;
    *count = 1;
    return S_OK;
}

HRESULT DevEnabler::GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) {
    if (info == nullptr) return E_POINTER;
    *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    TypeInformation* cached = nullptr;
    const HRESULT result = LoadTypeInformation(locale, cached);
    if (FAILED(result)) return result;
    cached->info->AddRef();
    *info = cached->info;
    return S_OK;
}

HRESULT DevEnabler::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) {
    if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    if (names == nullptr || ids == nullptr) return E_POINTER;
    TypeInformation* cached = nullptr;
    const HRESULT result = LoadTypeInformation(locale, cached);
    if (FAILED(result)) return result;
    // Exact member names come from the cache; anything else (other letter
    // case, parameter names) from the type information.
    UINT found = 0;
    for (; found < count && names[found] != nullptr; ++found) {
        const std::wstring name(names[found]);
        bool known = false;
        for (const auto& member : cached->members) {
            if (member.first == name) {
                ids[found] = member.second;
                known = true;
                break;
            }
        }
        if (!known) break;
    }
    if (found == count) return S_OK;
    return cached->info->GetIDsOfNames(names, count, ids);
}

HRESULT DevEnabler::Invoke(DISPID member, REFIID riid, LCID locale, WORD flags, DISPPARAMS* params,
                           VARIANT* result, EXCEPINFO* exception, UINT* argumentError) {
    if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    TypeInformation* cached = nullptr;
    const HRESULT loaded = LoadTypeInformation(locale, cached);
    if (FAILED(loaded)) return loaded;
    return cached->info->Invoke(static_cast<IDevEnabler*>(this), member, flags, params, result, exception,
                                argumentError);
}

// The device description argument is accepted and not consulted.
HRESULT DevEnabler::EnableDevice(BSTR) { return DevEnablerMethods(devices_).EnableDevice(); }
HRESULT DevEnabler::DisableDevice(BSTR) { return DevEnablerMethods(devices_).DisableDevice(); }
HRESULT DevEnabler::EnumerateNics() { return DevEnablerMethods(devices_).EnumerateNics(); }
HRESULT DevEnabler::GetCurStatus() { return DevEnablerMethods(devices_).GetCurStatus(); }

}  // namespace kestrel
