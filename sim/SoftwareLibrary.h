#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "AdapterDirectory.h"
#include "SoftwareCard.h"
#include "card/AccessLibrary.h"
#include "card/Registry.h"

namespace sim {

// The access library KBW32N50 over software cards. Adapters come from the
// registry's network-adapter class key (see AdapterDirectory.h); an adapter
// is served by the card whose device name equals the adapter's, or else,
// when its description names VELOX, by a card without a device name. Other
// adapters open but their driver knows none of the requests.
class SoftwareLibrary : public meru::AccessLibrary {
public:
    explicit SoftwareLibrary(meru::Registry& registry) : registry_(registry) {}

    // The card stays the caller's; it must outlive the library's use of it.
    void AttachCard(SoftwareCard& card) { cards_.push_back(&card); }
    void DetachCards() { cards_.clear(); }
    void SetOs(const OsVersion& os) { os_ = os; }
    const OsVersion& Os() const { return os_; }
    // Makes the library's driver fail to start: every open fails with
    // `code`. Without it, the first card's library-last-error decides.
    void SetDriverFailure(std::optional<uint32_t> code) { driverFailure_ = code; }

    bool IsWindowsNT() override { return os_.windowsNT; }
    uint32_t OSGetPlatformVersion(uint32_t which) override;
    uint32_t GetAdapterRegistryInfo(meru::AdapterRegistryInfo& info, const char* subkeyName) override;
    int32_t OpenAdapter(const char* adapterName) override;
    uint32_t GetLastError() override { return lastError_; }
    void CloseAdapter(int32_t handle) override;
    uint32_t MakeNdisRequest(int32_t handle, const meru::NdisRequest& request, void* overlapped) override;
    bool IsWindows95() override { return !os_.windowsNT; }

    // False when the handle was not open (W32N_CloseAdapter's result).
    bool Close(int32_t handle);
    size_t OpenHandleCount() const { return open_.size(); }
    // The card behind an open handle; nullptr for a foreign adapter or a
    // handle that is not open.
    SoftwareCard* CardOf(int32_t handle) const;

private:
    uint32_t StartupError() const;
    SoftwareCard* CardFor(const AdapterEntry& adapter) const;

    meru::Registry& registry_;
    OsVersion os_;
    std::vector<SoftwareCard*> cards_;
    std::optional<uint32_t> driverFailure_;
    std::map<int32_t, SoftwareCard*> open_;  // nullptr: a foreign adapter
    int32_t nextHandle_ = 1;
    uint32_t lastError_ = 0;
};

}  // namespace sim
