#include "card/AdapterHandle.h"

#include <cstdio>
#include <cstring>

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

AdapterHandle::AdapterHandle(AccessLibrary& library, Registry& registry, OverlappedEvents& events, WindowRef owner)
    : library_(library),
      registry_(registry),
      events_(events),
      discovery_(library, registry),
      owner_(owner),
      sleep_(RealSleep) {}

AdapterHandle::~AdapterHandle() { close(); }

void AdapterHandle::close() {
    if (!isOpen()) return;
    library_.CloseAdapter(libraryHandle_);
    libraryHandle_ = kNoLibraryHandle;
    if (overlapped_.event != nullptr) {
        events_.Close(overlapped_.event);
        overlapped_.event = nullptr;
    }
}

bool AdapterHandle::openAdapterAtIndex(uint32_t index) {
    RegistryKey classKey = 0;
    if (registry_.OpenKey(kLocalMachine, discovery_.adapterClassKeyPath().c_str(), classKey) != kRegistrySuccess) {
        return true;  // left closed
    }
    char subkeyName[kClassSubkeyCapacity] = {};
    if (registry_.EnumKey(classKey, index, subkeyName, kClassSubkeyCapacity) == kRegistrySuccess) {
        subkeyName[kClassSubkeyCapacity - 1] = '\0';
        std::string adapterName;
        if (!adapterNameOfSubkey(classKey, subkeyName, adapterName)) {
            registry_.CloseKey(classKey);
            return false;
        }
        libraryHandle_ = library_.OpenAdapter(adapterName.c_str());
    }
    registry_.CloseKey(classKey);
    return true;
}

bool AdapterHandle::adapterNameOfSubkey(RegistryKey classKey, const char* subkeyName, std::string& adapterName) {
    RegistryKey adapterKey = 0;
    if (registry_.OpenKey(classKey, subkeyName, adapterKey) != kRegistrySuccess) return false;
    const bool enabled = discovery_.isAdapterEnabled(adapterKey);
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

bool AdapterHandle::open(uint32_t index, bool identify) {
    if (isOpen()) return true;

    if (!openAdapterAtIndex(index)) return false;
    if (!isOpen()) {
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
        report("Could not create Overlapped Event", "Error", kBoxOk);
        return false;
    }

    if (!enableAux()) {
        close();
        return false;
    }
    if (identify) identifyCard();
    return true;
}

bool AdapterHandle::checkLibrary() {
    const int32_t handle = library_.OpenAdapter(kLibraryCheckName);
    const uint32_t code = library_.GetLastError();
    if (handle != kNoLibraryHandle) library_.CloseAdapter(handle);

    if (code == kErrorAccessDenied) {
        report(kPrivilegesText, "Startup Error", kBoxIconStop);
        return false;
    }
    if (code == kErrorFileNotFound) {
        report("Error loading system files: File Not Found.", "Startup Error", kBoxIconStop);
        return false;
    }
    if ((code & 0xFF) == kErrorInvalidHandle) return true;  // driver present, no such adapter

    char text[40];
    velox::FormatText(text, sizeof text, "W32N error code: %X", static_cast<unsigned>(code));
    report(text, "Unable to load necessary system files.", kBoxIconStop);
    return false;
}

int AdapterHandle::report(const char* text, const char* caption, unsigned type) {
    return ReportBox(owner_, text, caption, type);
}

uint32_t AdapterHandle::request(uint32_t type, uint32_t oid, void* buffer, uint32_t length) {
    if (!isOpen()) return kStatusNotSent;
    NdisRequest ndis;
    ndis.type = type;
    ndis.oid = oid;
    ndis.buffer = buffer;
    ndis.length = buffer != nullptr ? length : 0;
    lastStatus_ = library_.MakeNdisRequest(libraryHandle_, ndis, &overlapped_);
    return lastStatus_;
}

bool AdapterHandle::command(uint32_t oid) { return request(kRequestSet, oid, nullptr, 0) == kNdisStatusSuccess; }

bool AdapterHandle::checkDriver(uint8_t (&buffer)[8]) {
    if (!isOpen()) return false;
    const uint32_t status = request(kRequestQuery, OID_CARD_DRIVER_CHECK, buffer, kDriverCheckLength);
    if (status == kNdisStatusInvalidOid) {
        report("Your current WLAN driver does not support this version of MERU. You may need to upgrade the driver.",
               "Incompatible Driver Error", kBoxIconExclamation);
        return false;
    }
    return status == kNdisStatusSuccess;
}

bool AdapterHandle::checkDriver() {
    uint8_t buffer[8] = {};
    return checkDriver(buffer);
}

bool AdapterHandle::enableAux() { return command(OID_CARD_ENABLE_AUX); }

bool AdapterHandle::blockProtocols(bool block) {
    return command(block ? OID_CARD_BLOCK_PROTOCOLS : OID_CARD_UNBLOCK_PROTOCOLS);
}

bool AdapterHandle::concludeSession() { return command(OID_CARD_CONCLUDE); }

uint32_t AdapterHandle::queryDriverVersion() {
    uint8_t value[kDriverVersionLength] = {};
    if (request(kRequestQuery, OID_GEN_VENDOR_DRIVER_VERSION, value, kDriverVersionLength) != kNdisStatusSuccess) {
        return 0;
    }
    return static_cast<uint32_t>(value[0]) | (static_cast<uint32_t>(value[1]) << 8) |
           (static_cast<uint32_t>(value[2]) << 16) | (static_cast<uint32_t>(value[3]) << 24);
}

bool AdapterHandle::showVendorDescription() {
    char text[kVendorDescriptionLength] = {};
    if (request(kRequestQuery, OID_GEN_VENDOR_DESCRIPTION, text, kVendorDescriptionLength) != kNdisStatusSuccess) {
        return false;
    }
    text[kVendorDescriptionLength - 1] = '\0';  // a full buffer still ends inside it
    report(text, "OID_GEN_VENDOR_DESCRIPTION", kBoxOk);
    return true;
}

}  // namespace meru
