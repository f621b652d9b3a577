#include "Kbw32n50Library.h"

#include <cstddef>
#include <memory>

#include "Kbw32n50Api.h"
#include "card/NdisRequestRecord.h"
#include "card/Overlapped.h"

namespace meru {

// The portable overlapped block is the system's OVERLAPPED.
static_assert(sizeof(OverlappedBlock) == sizeof(OVERLAPPED), "overlapped block layout");
static_assert(offsetof(OverlappedBlock, event) == offsetof(OVERLAPPED, hEvent), "overlapped event member");

bool Kbw32n50Library::IsWindowsNT() { return (W32N_IsWindowsNT() & 0xFF) != 0; }

uint32_t Kbw32n50Library::OSGetPlatformVersion(uint32_t which) { return W32N_OSGetPlatformVersion(which); }

uint32_t Kbw32n50Library::GetAdapterRegistryInfo(AdapterRegistryInfo& info, const char* subkeyName) {
    return W32N_GetAdapterRegistryInfo(info.bytes, subkeyName);
}

int32_t Kbw32n50Library::OpenAdapter(const char* adapterName) { return W32N_OpenAdapterA(adapterName); }

uint32_t Kbw32n50Library::GetLastError() { return W32N_GetLastError(); }

void Kbw32n50Library::CloseAdapter(int32_t handle) { W32N_CloseAdapter(handle); }

uint32_t Kbw32n50Library::MakeNdisRequest(int32_t handle, const NdisRequest& request, void* overlapped) {
    // A fresh record per request; 4 KiB is kept off the stack.
    std::unique_ptr<NdisRequestRecord> record(new NdisRequestRecord);
    NdisRequestRecord::Build(*record, request.type, request.oid, request.buffer, request.length);
    return W32N_MakeNdisRequest(handle, record->bytes, static_cast<OVERLAPPED*>(overlapped), 1);
}

bool Kbw32n50Library::IsWindows95() { return W32N_IsWindows95() != FALSE; }

}  // namespace meru
