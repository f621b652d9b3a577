// What the 32-bit access library sees of the updater, pinned at compile
// time. No machine here runs 32-bit code, so a record laid out wrongly, or
// a function imported with the wrong calling convention, must fail the
// 32-bit build rather than a card on a customer's Windows. The 64-bit build
// (for Wine only) lays the record out for its own library and is not held
// to these.
#include <windows.h>

#include <cstddef>

#include "Kbw32n50Api.h"
#include "Kbw32n50DefExports.h"
#include "card/AccessLibrary.h"
#include "card/NdisRequestRecord.h"
#include "card/Overlapped.h"

#if defined(__i386__)

namespace meru {
namespace {

// The request record as the library, a 32-bit C program, declares it.
struct LibraryRequestRecord {
    uint8_t libraryHead[20];
    uint32_t requestType;
    uint32_t oid;
    void* informationBuffer;
    uint32_t informationBufferLength;
    uint32_t bytesTransferred;
    uint32_t bytesNeeded;
    uint8_t libraryTail[4096];
};

static_assert(sizeof(NdisRequestRecord) == 4140 && NdisRequestRecord::kSize == 4140, "request record: 4140 bytes");
static_assert(sizeof(LibraryRequestRecord) == NdisRequestRecord::kSize, "request record: the library's size");
static_assert(offsetof(NdisRequestRecord, bytes) == 0, "request record: bytes from the start");
static_assert(offsetof(LibraryRequestRecord, requestType) == NdisRequestRecord::kTypeOffset &&
                  NdisRequestRecord::kTypeOffset == 20,
              "request record: type at byte 20");
static_assert(offsetof(LibraryRequestRecord, oid) == NdisRequestRecord::kOidOffset &&
                  NdisRequestRecord::kOidOffset == 24,
              "request record: OID at byte 24");
static_assert(offsetof(LibraryRequestRecord, informationBuffer) == NdisRequestRecord::kBufferOffset &&
                  NdisRequestRecord::kBufferOffset == 28 && sizeof(void*) == 4,
              "request record: the buffer's whole 32-bit address at byte 28");
static_assert(offsetof(LibraryRequestRecord, informationBufferLength) == NdisRequestRecord::kLengthOffset &&
                  NdisRequestRecord::kLengthOffset == 32,
              "request record: buffer length at byte 32");
static_assert(offsetof(LibraryRequestRecord, bytesTransferred) == NdisRequestRecord::kTransferredOffset &&
                  NdisRequestRecord::kTransferredOffset == 36,
              "request record: bytes transferred at byte 36");
static_assert(offsetof(LibraryRequestRecord, bytesNeeded) == NdisRequestRecord::kNeededOffset &&
                  NdisRequestRecord::kNeededOffset == 40,
              "request record: bytes needed at byte 40");

static_assert(sizeof(AdapterRegistryInfo) == 780 && AdapterRegistryInfo::kSize == 780,
              "adapter registry info: 780 bytes");
static_assert(offsetof(AdapterRegistryInfo, bytes) == 0, "adapter registry info: bytes from the start");
static_assert(AdapterRegistryInfo::kDisplayNameOffset == 0, "adapter registry info: display name at byte 0");
static_assert(AdapterRegistryInfo::kDeviceNameOffset == 520, "adapter registry info: device name at byte 520");

static_assert(sizeof(OVERLAPPED) == 20 && offsetof(OVERLAPPED, hEvent) == 16,
              "overlapped block: five 32-bit words, the event last");

// The library's exports are stdcall functions (KBW32N50.def decorates each
// with its argument bytes; the software card exports the same). The
// declarations the program imports by must agree in both.
template <typename R, typename... A>
constexpr bool IsStdcall(R(__stdcall*)(A...)) {
    return true;
}
template <typename R, typename... A>
constexpr bool IsStdcall(R(__cdecl*)(A...)) {
    return false;
}
template <typename R, typename... A>
constexpr unsigned ArgumentBytes(R(__stdcall*)(A...)) {
    return (0u + ... + ((sizeof(A) + 3u) / 4u * 4u));
}
template <typename R, typename... A>
constexpr unsigned ArgumentBytes(R(__cdecl*)(A...)) {
    return ~0u;
}

#define MERU_CHECK_IMPORT(name)                                                                         \
    static_assert(IsStdcall(static_cast<decltype(&::name)>(nullptr)), #name ": not stdcall");           \
    static_assert(ArgumentBytes(static_cast<decltype(&::name)>(nullptr)) == kbw32n50_def::name, \
                  #name ": argument bytes differ from KBW32N50.def")

MERU_CHECK_IMPORT(W32N_IsWindowsNT);
MERU_CHECK_IMPORT(W32N_OSGetPlatformVersion);
MERU_CHECK_IMPORT(W32N_GetAdapterRegistryInfo);
MERU_CHECK_IMPORT(W32N_OpenAdapterA);
MERU_CHECK_IMPORT(W32N_GetLastError);
MERU_CHECK_IMPORT(W32N_CloseAdapter);
MERU_CHECK_IMPORT(W32N_MakeNdisRequest);
MERU_CHECK_IMPORT(W32N_IsWindows95);
static_assert(kbw32n50_def::kExportCount == 8, "KBW32N50.def: every export is checked above");

#undef MERU_CHECK_IMPORT

}  // namespace
}  // namespace meru

#endif  // __i386__
