#include "SoftwareLibrary.h"

#include <algorithm>
#include <cstring>

#include "CardProtocol.h"

namespace sim {

namespace {

constexpr uint32_t kErrorFileNotFound = 2;
constexpr uint32_t kErrorInvalidHandle = 6;
constexpr uint32_t kErrorInvalidParameter = 87;

void CopyText(uint8_t* at, size_t capacity, const std::string& text) {
    const size_t count = std::min(text.size(), capacity - 1);
    std::memcpy(at, text.data(), count);
    at[count] = 0;
}

}  // namespace

uint32_t SoftwareLibrary::OSGetPlatformVersion(uint32_t which) { return which == 2 ? os_.platformVersion : 0; }

uint32_t SoftwareLibrary::StartupError() const {
    if (driverFailure_) return *driverFailure_;
    return cards_.empty() ? kErrorInvalidHandle : cards_.front()->State().libraryLastError;
}

SoftwareCard* SoftwareLibrary::CardFor(const AdapterEntry& adapter) const {
    for (SoftwareCard* card : cards_) {
        if (!card->State().deviceName.empty() && SameName(card->State().deviceName, adapter.deviceName)) return card;
    }
    if (!IsVeloxAdapter(adapter)) return nullptr;
    for (SoftwareCard* card : cards_) {
        if (card->State().deviceName.empty()) return card;
    }
    return nullptr;
}

uint32_t SoftwareLibrary::GetAdapterRegistryInfo(meru::AdapterRegistryInfo& info, const char* subkeyName) {
    if (subkeyName == nullptr) return kErrorInvalidParameter;
    const std::optional<AdapterEntry> adapter = DescribeAdapter(registry_, os_, subkeyName);
    if (!adapter) return kErrorFileNotFound;
    std::memset(info.bytes, 0, sizeof info.bytes);
    CopyText(info.bytes + meru::AdapterRegistryInfo::kDisplayNameOffset,
             meru::AdapterRegistryInfo::kDeviceNameOffset - meru::AdapterRegistryInfo::kDisplayNameOffset,
             adapter->displayName);
    CopyText(info.bytes + meru::AdapterRegistryInfo::kDeviceNameOffset,
             meru::AdapterRegistryInfo::kSize - meru::AdapterRegistryInfo::kDeviceNameOffset, adapter->deviceName);
    return 0;
}

int32_t SoftwareLibrary::OpenAdapter(const char* adapterName) {
    if (adapterName == nullptr) {
        lastError_ = kErrorInvalidParameter;
        return meru::kNoLibraryHandle;
    }
    const uint32_t startup = StartupError();
    if ((startup & 0xFF) != kErrorInvalidHandle) {
        lastError_ = startup;  // the driver did not start: nothing opens
        if (!driverFailure_ && !cards_.empty()) ++cards_.front()->State().faultsFired["library-error"];
        return meru::kNoLibraryHandle;
    }
    const std::optional<AdapterEntry> adapter = FindAdapterByOpenName(registry_, os_, adapterName);
    if (!adapter) {
        lastError_ = startup;  // the driver knows no such adapter
        return meru::kNoLibraryHandle;
    }
    SoftwareCard* card = CardFor(*adapter);
    if (card == nullptr && IsVeloxAdapter(*adapter)) {
        lastError_ = kErrorFileNotFound;  // no card in the slot
        return meru::kNoLibraryHandle;
    }
    const int32_t handle = nextHandle_++;
    open_[handle] = card;
    return handle;
}

bool SoftwareLibrary::Close(int32_t handle) {
    if (open_.erase(handle) == 0) {
        lastError_ = kErrorInvalidHandle;
        return false;
    }
    return true;
}

void SoftwareLibrary::CloseAdapter(int32_t handle) { Close(handle); }

SoftwareCard* SoftwareLibrary::CardOf(int32_t handle) const {
    auto it = open_.find(handle);
    return it == open_.end() ? nullptr : it->second;
}

uint32_t SoftwareLibrary::MakeNdisRequest(int32_t handle, const meru::NdisRequest& request, void* /*overlapped*/) {
    auto it = open_.find(handle);
    if (it == open_.end()) {
        lastError_ = kErrorInvalidHandle;
        return kStatusInvalidHandle;
    }
    if (it->second == nullptr) return kStatusInvalidOid;  // another vendor's adapter
    return it->second->HandleRequest(request.type, request.oid, request.buffer, request.length);
}

}  // namespace sim
