// The COM rules of the DevEnabler object and its class factory, checked
// in-process against the registered type library.
#include <windows.h>

#include <cstdio>

#include "CheckReport.h"
#include "DevEnablerFactory.h"
#include "DevEnablerObject.h"
#include "Kestrelsvc.h"
#include "SetupApiDeviceSet.h"

namespace kestrel_checks {
namespace {

class CountingLocks : public kestrel::ServerLockPort {
public:
    long Lock() override { return ++count; }
    long Unlock() override { return --count; }
    void LockServer(bool lock) override { lock ? ++serverLocks : --serverLocks; }
    long count = 0;
    long serverLocks = 0;
};

// A minimal outer object: counts the references the inner object hands it.
class Outer : public IUnknown {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }
    ULONG references = 1;
};

void CheckFactory(kestrel::DevEnablerFactory& factory, CountingLocks& locks) {
    Check(factory.CreateInstance(nullptr, IID_IDevEnabler, nullptr) == E_POINTER, "null out pointer: E_POINTER");
    Outer outer;
    void* object = reinterpret_cast<void*>(1);
    Check(factory.CreateInstance(&outer, IID_IDevEnabler, &object) == CLASS_E_NOAGGREGATION && object == nullptr,
          "outer object with IDevEnabler: CLASS_E_NOAGGREGATION");
    Check(locks.count == 0, "refused creations hold no lock");

    IUnknown* inner = nullptr;
    Check(SUCCEEDED(factory.CreateInstance(&outer, IID_IUnknown, reinterpret_cast<void**>(&inner))),
          "outer object with IUnknown is accepted");
    if (inner != nullptr) {
        IDevEnabler* enabler = nullptr;
        const ULONG before = outer.references;
        Check(SUCCEEDED(inner->QueryInterface(IID_IDevEnabler, reinterpret_cast<void**>(&enabler))),
              "aggregated object answers IDevEnabler");
        Check(outer.references == before + 1, "aggregated interfaces count on the outer object");
        IUnknown* delegated = nullptr;
        if (enabler != nullptr) {
            Check(enabler->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&delegated)) == E_NOINTERFACE,
                  "aggregated QueryInterface goes to the outer object");
            enabler->Release();
        }
        Check(locks.count == 1, "an aggregated object holds one lock");
        inner->Release();
    }
    Check(locks.count == 0, "destroying the object gives its lock back");

    factory.LockServer(TRUE);
    Check(locks.serverLocks == 1, "LockServer(TRUE) locks the server");
    factory.LockServer(FALSE);
    Check(locks.serverLocks == 0, "LockServer(FALSE) unlocks it");
    factory.AddRef();
    factory.Release();
    Check(locks.count == 0 && locks.serverLocks == 0, "factory references don't lock");
}

void CheckDispatch(IDevEnabler* enabler) {
    IDispatch* dispatch = nullptr;
    Check(SUCCEEDED(enabler->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch))), "IDispatch");
    if (dispatch == nullptr) return;
    UINT count = 0;
    Check(dispatch->GetTypeInfoCount(&count) == S_OK && count == 1, "GetTypeInfoCount yields 1");
    Check(dispatch->GetTypeInfo(0, LOCALE_USER_DEFAULT, nullptr) == E_POINTER, "GetTypeInfo(null): E_POINTER");
    ITypeInfo* info = nullptr;
    Check(dispatch->GetTypeInfo(0, LOCALE_USER_DEFAULT, &info) == S_OK && info != nullptr, "GetTypeInfo");
    if (info != nullptr) info->Release();

    struct Named {
        const wchar_t* name;
        DISPID id;
    };
    const Named members[] = {{L"EnableDevice", 1}, {L"DisableDevice", 2}, {L"EnumerateNics", 4},
                             {L"GetCurStatus", 5}, {L"GETCURSTATUS", 5}};
    for (const Named& member : members) {
        LPOLESTR names[] = {const_cast<LPOLESTR>(member.name)};
        DISPID id = DISPID_UNKNOWN;
        const HRESULT result = dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
        if (result != S_OK || id != member.id) std::printf("  %ls: 0x%08lX %ld\n", member.name, result, id);
        Check(result == S_OK && id == member.id, "GetIDsOfNames gives the member's DISPID");
    }
    LPOLESTR missing[] = {const_cast<LPOLESTR>(L"Missing")};
    DISPID id = 0;
    Check(dispatch->GetIDsOfNames(IID_NULL, missing, 1, LOCALE_USER_DEFAULT, &id) == DISP_E_UNKNOWNNAME,
          "unknown names: DISP_E_UNKNOWNNAME");
    dispatch->Release();
}

void CheckObject(kestrel::DevEnablerFactory& factory, CountingLocks& locks) {
    IDevEnabler* enabler = nullptr;
    Check(SUCCEEDED(factory.CreateInstance(nullptr, IID_IDevEnabler, reinterpret_cast<void**>(&enabler))),
          "creation");
    if (enabler == nullptr) return;
    Check(locks.count == 1, "a live object holds one lock");
    IUnknown* identity = nullptr;
    IUnknown* again = nullptr;
    enabler->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity));
    enabler->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&again));
    Check(identity != nullptr && identity == again, "one IUnknown identity");
    if (identity != nullptr) identity->Release();
    if (again != nullptr) again->Release();
    IUnknown* none = reinterpret_cast<IUnknown*>(1);
    Check(enabler->QueryInterface(IID_IClassFactory, reinterpret_cast<void**>(&none)) == E_NOINTERFACE &&
              none == nullptr,
          "other interfaces: E_NOINTERFACE");
    Check(enabler->QueryInterface(IID_IDispatch, nullptr) == E_POINTER, "QueryInterface(null): E_POINTER");
    CheckDispatch(enabler);
    enabler->Release();
    Check(locks.count == 0, "the last release gives the lock back");
}

}  // namespace

void CheckObjectRules() {
    CountingLocks locks;
    kestrel::SetupApiDeviceSet devices;
    kestrel::DevEnablerFactory factory(locks, devices);
    CheckFactory(factory, locks);
    CheckObject(factory, locks);
}

}  // namespace kestrel_checks
