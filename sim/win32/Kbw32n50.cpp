// KBW32N50.dll of the software card: the library's W32N_ functions over the
// card(s) kept in the state file(s) named by VELOX_SIM_STATE (";" between
// several). VELOX_SIM_OS ("2000", "nt4" or "9x") overrides the Windows
// version the library reports; by default it reports the real one.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "card/win32/Kbw32n50Api.h"
#include "sim/CardProtocol.h"
#include "sim/RequestRecord.h"
#include "sim/StateFileLibrary.h"
#include "sim/win32/Win32Registry.h"

namespace {

CRITICAL_SECTION theLock;

class Locked {
public:
    Locked() { EnterCriticalSection(&theLock); }
    ~Locked() { LeaveCriticalSection(&theLock); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;
};

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

void ReportProblem(const std::string& message) {
    std::fprintf(stderr, "%s\n", message.c_str());
    std::fflush(stderr);
    OutputDebugStringA((message + "\n").c_str());
}

sim::OsVersion RunningOs() {
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExA(&version)) return {};
    return {version.dwPlatformId == VER_PLATFORM_WIN32_NT, version.dwMajorVersion};
}

sim::StateFileLibrary& Library() {
    static sim::Win32Registry registry;
    static std::unique_ptr<sim::StateFileLibrary> library = sim::StateFileLibrary::FromEnvironment(
        registry, Environment("VELOX_SIM_STATE"), Environment("VELOX_SIM_OS"), RunningOs(), ReportProblem);
    return *library;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE /*instance*/, DWORD reason, LPVOID /*reserved*/) {
    if (reason == DLL_PROCESS_ATTACH) InitializeCriticalSection(&theLock);
    if (reason == DLL_PROCESS_DETACH) DeleteCriticalSection(&theLock);
    return TRUE;
}

BOOL WINAPI W32N_IsWindowsNT(void) {
    Locked lock;
    return Library().IsWindowsNT() ? TRUE : FALSE;
}

DWORD WINAPI W32N_OSGetPlatformVersion(DWORD which) {
    Locked lock;
    return Library().OSGetPlatformVersion(which);
}

DWORD WINAPI W32N_GetAdapterRegistryInfo(void* registryInfo, const char* subkeyName) {
    if (registryInfo == nullptr) return ERROR_INVALID_PARAMETER;
    Locked lock;
    meru::AdapterRegistryInfo info;
    const DWORD result = Library().GetAdapterRegistryInfo(info, subkeyName);
    if (result == 0) std::memcpy(registryInfo, info.bytes, sizeof info.bytes);
    return result;
}

LONG WINAPI W32N_OpenAdapterA(const char* adapterName) {
    Locked lock;
    return Library().OpenAdapter(adapterName);
}

DWORD WINAPI W32N_GetLastError(void) {
    Locked lock;
    return Library().GetLastError();
}

BOOL WINAPI W32N_CloseAdapter(LONG handle) {
    Locked lock;
    return Library().Close(handle) ? TRUE : FALSE;
}

DWORD WINAPI W32N_MakeNdisRequest(LONG handle, void* record, OVERLAPPED* overlapped, DWORD /*synchronous*/) {
    if (record == nullptr) return sim::kStatusInvalidData;
    Locked lock;
    const sim::RequestRecordFields fields =
        sim::DecodeRequestRecord(static_cast<const uint8_t*>(record), static_cast<unsigned>(8 * sizeof(void*)));
    meru::NdisRequest decoded;
    decoded.type = fields.type;
    decoded.oid = fields.oid;
    decoded.buffer = reinterpret_cast<void*>(static_cast<uintptr_t>(fields.bufferAddress));
    decoded.length = fields.length;
    const DWORD status = Library().MakeNdisRequest(handle, decoded, overlapped);
    // The request is complete: signal it as an overlapped operation would be.
    if (overlapped != nullptr && overlapped->hEvent != nullptr) SetEvent(overlapped->hEvent);
    return status;
}

// Not an export of the real library: test programs ask for it before they
// send requests that no real card should get.
extern "C" __declspec(dllexport) BOOL VeloxSoftwareCard(void) { return TRUE; }

BOOL WINAPI W32N_IsWindows95(void) {
    Locked lock;
    return Library().IsWindows95() ? TRUE : FALSE;
}
