// The functions of the NDIS access library KBW32N50 that the updater imports.
// The software card's KBW32N50.dll exports the same functions.
#pragma once

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

#ifdef KBW32N50_BUILDING_LIBRARY
#define KBW32N50_API
#else
#define KBW32N50_API __declspec(dllimport)
#endif

KBW32N50_API BOOL WINAPI W32N_IsWindowsNT(void);
KBW32N50_API DWORD WINAPI W32N_OSGetPlatformVersion(DWORD which);
// Fills a 780-byte AdapterRegistryInfo; 0 when the subkey is an adapter the library serves.
KBW32N50_API DWORD WINAPI W32N_GetAdapterRegistryInfo(void* registryInfo, const char* subkeyName);
// A handle, or -1.
KBW32N50_API LONG WINAPI W32N_OpenAdapterA(const char* adapterName);
KBW32N50_API DWORD WINAPI W32N_GetLastError(void);
KBW32N50_API BOOL WINAPI W32N_CloseAdapter(LONG handle);
// record: a 4140-byte NdisRequestRecord; completes before returning; the NDIS status.
KBW32N50_API DWORD WINAPI W32N_MakeNdisRequest(LONG handle, void* record, OVERLAPPED* overlapped, DWORD synchronous);
KBW32N50_API BOOL WINAPI W32N_IsWindows95(void);

#ifdef __cplusplus
}
#endif
