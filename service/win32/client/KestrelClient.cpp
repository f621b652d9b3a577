// kestrel-client.exe: activates DevEnabler in its local server, calls the
// four methods through the vtable and GetCurStatus through IDispatch by
// name, and prints every result, one line each. Exit code 0 when the
// object could be reached at all.
//
// kestrel-client.exe control NAME CODE: sends the user-defined control CODE
// (128-255) to the service NAME and prints whether it was delivered.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "Kestrelsvc.h"

namespace {

void PrintDispatchId(IDispatch* dispatch, const wchar_t* name) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    DISPID id = DISPID_UNKNOWN;
    const HRESULT result = dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    std::printf("GetIDsOfNames %ls 0x%08lX %ld\n", name, static_cast<unsigned long>(result),
                static_cast<long>(id));
}

void InvokeByName(IDispatch* dispatch, const wchar_t* name) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    DISPID id = DISPID_UNKNOWN;
    if (FAILED(dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) return;
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    VARIANT result;
    VariantInit(&result);
    EXCEPINFO exception = {};
    UINT argumentError = 0;
    const HRESULT invoked = dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, &result,
                                             &exception, &argumentError);
    VARIANT asNumber;
    VariantInit(&asNumber);
    const bool numeric = SUCCEEDED(VariantChangeType(&asNumber, &result, 0, VT_I4));
    std::printf("Invoke %ls %ld vt=%u value=%ld scode=%ld\n", name, static_cast<long>(invoked),
                static_cast<unsigned>(V_VT(&result)), numeric ? static_cast<long>(V_I4(&asNumber)) : 0L,
                static_cast<long>(exception.scode));
    VariantClear(&asNumber);
    VariantClear(&result);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
}

int Run() {
    IDevEnabler* enabler = nullptr;
    HRESULT result = CoCreateInstance(CLSID_DevEnabler, nullptr, CLSCTX_LOCAL_SERVER, IID_IDevEnabler,
                                      reinterpret_cast<void**>(&enabler));
    std::printf("CoCreateInstance 0x%08lX\n", static_cast<unsigned long>(result));
    if (FAILED(result)) return 1;

    BSTR device = SysAllocString(L"VELOX");
    std::printf("EnableDevice %ld\n", static_cast<long>(enabler->EnableDevice(device)));
    std::printf("EnableDevice(null) %ld\n", static_cast<long>(enabler->EnableDevice(nullptr)));
    std::printf("DisableDevice %ld\n", static_cast<long>(enabler->DisableDevice(device)));
    std::printf("EnumerateNics %ld\n", static_cast<long>(enabler->EnumerateNics()));
    std::printf("GetCurStatus %ld\n", static_cast<long>(enabler->GetCurStatus()));
    SysFreeString(device);

    IUnknown* other = nullptr;
    result = enabler->QueryInterface(IID_IClassFactory, reinterpret_cast<void**>(&other));
    std::printf("QueryInterface IClassFactory 0x%08lX\n", static_cast<unsigned long>(result));
    if (SUCCEEDED(result)) other->Release();

    IDispatch* dispatch = nullptr;
    result = enabler->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch));
    std::printf("QueryInterface IDispatch 0x%08lX\n", static_cast<unsigned long>(result));
    if (SUCCEEDED(result)) {
        UINT count = 0;
        result = dispatch->GetTypeInfoCount(&count);
        std::printf("GetTypeInfoCount 0x%08lX %u\n", static_cast<unsigned long>(result), count);
        for (const wchar_t* name : {L"EnableDevice", L"DisableDevice", L"EnumerateNics", L"GetCurStatus",
                                    L"getcurstatus", L"NoSuchMethod"}) {
            PrintDispatchId(dispatch, name);
        }
        InvokeByName(dispatch, L"GetCurStatus");
        dispatch->Release();
    }
    enabler->Release();
    return 0;
}

int SendControl(const char* service, const char* code) {
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
    SC_HANDLE handle = manager != nullptr ? OpenServiceA(manager, service, SERVICE_USER_DEFINED_CONTROL) : nullptr;
    SERVICE_STATUS status = {};
    const BOOL sent = handle != nullptr && ControlService(handle, std::strtoul(code, nullptr, 10), &status);
    std::printf("ControlService %s %lu\n", sent ? "delivered" : "failed", sent ? 0UL : GetLastError());
    if (handle != nullptr) CloseServiceHandle(handle);
    if (manager != nullptr) CloseServiceHandle(manager);
    return sent ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "control") == 0) return SendControl(argv[2], argv[3]);
    const HRESULT initialised = CoInitialize(nullptr);
    if (FAILED(initialised)) {
        std::printf("CoInitialize 0x%08lX\n", static_cast<unsigned long>(initialised));
        return 1;
    }
    const int exitCode = Run();
    CoUninitialize();
    std::fflush(stdout);
    return exitCode;
}
