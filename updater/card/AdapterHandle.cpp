#include "card/AdapterHandle.h"

#include <cstdio>
#include <cstring>
#include <utility>

#include "card/CardRequests.h"
#include "Pause.h"
#include "TextFormat.h"

namespace meru {

namespace {

// The name that makes the library start its driver; no adapter bears it.
const char kLibraryCheckName[] = "Check for VXD...";
const char kDevicePrefix[] = "\\Device\\";
// The adapter name handed to the library, without its terminator.
constexpr size_t kAdapterNameLimit = 79;
// Subkey names of the class key as open enumerates them.
constexpr uint32_t kClassSubkeyCapacity = 16;

constexpr uint32_t kErrorFileNotFound = 2;
constexpr uint32_t kErrorAccessDenied = 5;
constexpr uint32_t kErrorInvalidHandle = 6;

const char kPrivilegesText[] =
    "The system reports that you have insufficient privileges to load the required driver. \r\n\r\n 1. You may "
    "need to log on as an administrator.\r\n\r\n 2. Ensure the system files are not being accessed from a "
    "network drive. (search for \"KBW32N50\" in the registry)";

void RealSleep(uint32_t milliseconds) { velox::PauseMilliseconds(milliseconds); }

}  // namespace

AdapterHandle::AdapterHandle(AccessLibrary& library, Registry& registry, OverlappedEvents& events,
                             CardNoticeSink notices)
    : library_(library),
      registry_(registry),
      events_(events),
      discovery_(library, registry),
      notices_(std::move(notices)),
      sleep_(RealSleep) {}

AdapterHandle::~AdapterHandle() { Close(); }

void AdapterHandle::Close() {
    if (!IsOpen()) return;
    library_.CloseAdapter(libraryHandle_);
    libraryHandle_ = kNoLibraryHandle;
    if (overlapped_.event != nullptr) {
        events_.Close(overlapped_.event);
        overlapped_.event = nullptr;
    }
}

bool AdapterHandle::OpenAdapterAtIndex(uint32_t index) {
    RegistryKey classKey = 0;
    if (registry_.OpenKey(kLocalMachine, discovery_.AdapterClassKeyPath().c_str(), classKey) != kRegistrySuccess) {
        return true;  // left closed
    }
    char subkeyName[kClassSubkeyCapacity] = {};
    if (registry_.EnumKey(classKey, index, subkeyName, kClassSubkeyCapacity) == kRegistrySuccess) {
        subkeyName[kClassSubkeyCapacity - 1] = '\0';
        std::string adapterName;
        if (!AdapterNameOfSubkey(classKey, subkeyName, adapterName)) {
            registry_.CloseKey(classKey);
            return false;
        }
        libraryHandle_ = library_.OpenAdapter(adapterName.c_str());
    }
    registry_.CloseKey(classKey);
    return true;
}

bool AdapterHandle::AdapterNameOfSubkey(RegistryKey classKey, const char* subkeyName, std::string& adapterName) {
    RegistryKey adapterKey = 0;
    if (registry_.OpenKey(classKey, subkeyName, adapterKey) != kRegistrySuccess) return false;
    const bool enabled = discovery_.IsAdapterEnabled(adapterKey);
    registry_.CloseKey(adapterKey);
    if (!enabled) return false;

    AdapterRegistryInfo info;
    library_.GetAdapterRegistryInfo(info, subkeyName);
    if (library_.IsWindowsNT()) {
        const char* deviceName = reinterpret_cast<const char*>(info.bytes + AdapterRegistryInfo::kDeviceNameOffset);
        const size_t room = kAdapterNameLimit - (sizeof kDevicePrefix - 1);
        adapterName = std::string(kDevicePrefix) + std::string(deviceName, strnlen(deviceName, room));
    } else {
        adapterName = subkeyName;
    }
    return true;
}

bool AdapterHandle::Open(uint32_t index, bool identify) {
    if (IsOpen()) return true;

    if (!OpenAdapterAtIndex(index)) return false;
    if (!IsOpen()) {
        // No class key, no such subkey or refused by the library: the last
        // error is fetched but not shown; the callers tell the user.
        library_.GetLastError();
        return false;
    }

    overlapped_ = OverlappedBlock();
    overlapped_.event = events_.Create();
    if (overlapped_.event == nullptr) {
        library_.CloseAdapter(libraryHandle_);
        libraryHandle_ = kNoLibraryHandle;
        Notify("Could not create Overlapped Event", "Error", kBoxOk);
        return false;
    }

    if (!EnableAux()) {
        Close();
        return false;
    }
    if (identify) IdentifyCard();
    return true;
}

bool AdapterHandle::CheckLibrary() {
    const int32_t handle = library_.OpenAdapter(kLibraryCheckName);
    const uint32_t code = library_.GetLastError();
    if (handle != kNoLibraryHandle) library_.CloseAdapter(handle);

    if (code == kErrorAccessDenied) {
        Notify(kPrivilegesText, "Startup Error", kBoxIconStop);
        return false;
    }
    if (code == kErrorFileNotFound) {
        Notify("Error loading system files: File Not Found.", "Startup Error", kBoxIconStop);
        return false;
    }
    if ((code & 0xFF) == kErrorInvalidHandle) return true;  // driver present, no such adapter

    char text[40];
    velox::FormatText(text, sizeof text, "W32N error code: %X", static_cast<unsigned>(code));
    Notify(text, "Unable to load necessary system files.", kBoxIconStop);
    return false;
}

void AdapterHandle::Notify(const char* text, const char* caption, unsigned type) {
    if (notices_) notices_(CardNotice{text, caption, type});
}

uint32_t AdapterHandle::Request(uint32_t type, uint32_t oid, void* buffer, uint32_t length) {
    if (!IsOpen()) return kStatusNotSent;
    NdisRequest ndis;
    ndis.type = type;
    ndis.oid = oid;
    ndis.buffer = buffer;
    ndis.length = buffer != nullptr ? length : 0;
    lastStatus_ = library_.MakeNdisRequest(libraryHandle_, ndis, &overlapped_);
    return lastStatus_;
}

bool AdapterHandle::Command(uint32_t oid) { return Request(kRequestSet, oid, nullptr, 0) == kNdisStatusSuccess; }

bool AdapterHandle::CheckDriver(uint8_t (&buffer)[8]) {
    if (!IsOpen()) return false;
    const uint32_t status = Request(kRequestQuery, OID_CARD_DRIVER_CHECK, buffer, kDriverCheckLength);
    if (status == kNdisStatusInvalidOid) {
        Notify("Your current WLAN driver does not support this version of MERU. You may need to upgrade the driver.",
               "Incompatible Driver Error", kBoxIconExclamation);
        return false;
    }
    return status == kNdisStatusSuccess;
}

bool AdapterHandle::CheckDriver() {
    uint8_t buffer[8] = {};
    return CheckDriver(buffer);
}

bool AdapterHandle::EnableAux() { return Command(OID_CARD_ENABLE_AUX); }

bool AdapterHandle::BlockProtocols(bool block) {
    return Command(block ? OID_CARD_BLOCK_PROTOCOLS : OID_CARD_UNBLOCK_PROTOCOLS);
}

bool AdapterHandle::ConcludeSession() { return Command(OID_CARD_CONCLUDE); }

uint32_t AdapterHandle::QueryDriverVersion() {
    uint8_t value[kDriverVersionLength] = {};
    if (Request(kRequestQuery, OID_GEN_VENDOR_DRIVER_VERSION, value, kDriverVersionLength) != kNdisStatusSuccess) {
        return 0;
    }
    return static_cast<uint32_t>(value[0]) | (static_cast<uint32_t>(value[1]) << 8) |
           (static_cast<uint32_t>(value[2]) << 16) | (static_cast<uint32_t>(value[3]) << 24);
}

bool AdapterHandle::ShowVendorDescription() {
    char text[kVendorDescriptionLength] = {};
    if (Request(kRequestQuery, OID_GEN_VENDOR_DESCRIPTION, text, kVendorDescriptionLength) != kNdisStatusSuccess) {
        return false;
    }
    text[kVendorDescriptionLength - 1] = '\0';  // a full buffer still ends inside it
    Notify(text, "OID_GEN_VENDOR_DESCRIPTION", kBoxOk);
    return true;
}

}  // namespace meru
