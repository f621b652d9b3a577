#pragma once

#include <cstddef>
#include <cstdint>

namespace meru {

// The NDIS user-mode access library KBW32N50, as the updater calls it: the
// eight W32N_ functions. The Windows binding calls the imported library; the
// software card implements it natively for tests.

constexpr uint32_t kRequestQuery = 0;
constexpr uint32_t kRequestSet = 1;

constexpr uint32_t kNdisStatusSuccess = 0;
constexpr uint32_t kNdisStatusInvalidOid = 0xC0010017;

constexpr int32_t kNoLibraryHandle = -1;

// One request: query or set, OID, information buffer (nullptr/0 when none).
struct NdisRequest {
    uint32_t type = kRequestQuery;
    uint32_t oid = 0;
    void* buffer = nullptr;
    uint32_t length = 0;
};

// What W32N_GetAdapterRegistryInfo fills: display name at byte 0, device
// name at byte 520, both zero-terminated; the rest is the library's.
struct AdapterRegistryInfo {
    static constexpr size_t kSize = 780;
    static constexpr size_t kDisplayNameOffset = 0;
    static constexpr size_t kDeviceNameOffset = 520;
    uint8_t bytes[kSize] = {};
};

class AccessLibrary {
public:
    virtual ~AccessLibrary() = default;

    virtual bool IsWindowsNT() = 0;
    // Called with 2; 5 or more selects the Windows 2000 registry layout.
    virtual uint32_t OSGetPlatformVersion(uint32_t which) = 0;
    // 0 when the class-key subkey describes an adapter the library can serve.
    virtual uint32_t GetAdapterRegistryInfo(AdapterRegistryInfo& info, const char* subkeyName) = 0;
    // A handle, or kNoLibraryHandle.
    virtual int32_t OpenAdapter(const char* adapterName) = 0;
    // Windows error code of the last failure: 2, 5 and 6 (low byte) matter.
    virtual uint32_t GetLastError() = 0;
    virtual void CloseAdapter(int32_t handle) = 0;
    // Performs the request to completion; the NDIS status (0 success).
    virtual uint32_t MakeNdisRequest(int32_t handle, const NdisRequest& request, void* overlapped) = 0;
    virtual bool IsWindows95() = 0;
};

}  // namespace meru
