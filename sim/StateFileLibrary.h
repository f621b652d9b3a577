#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "PersistentCard.h"
#include "SoftwareLibrary.h"

namespace sim {

// The access library over cards kept in state files, as KBW32N50.dll runs
// it: every call first reads the files that changed, every request is
// followed by writing its card's file, so separate processes see one card.
// A state file that cannot be read before its first use keeps the driver
// from starting: opens fail with 2 (missing file) or 0x570 (malformed).
class StateFileLibrary : public meru::AccessLibrary {
public:
    using Reporter = std::function<void(const std::string&)>;

    static constexpr uint32_t kErrorFileCorrupt = 0x570;

    StateFileLibrary(meru::Registry& registry, const std::vector<std::string>& statePaths, Reporter report);

    // The library as KBW32N50.dll sets it up from its environment: the state
    // files of VELOX_SIM_STATE (";" between several; none is reported: no
    // card) and the Windows VELOX_SIM_OS names, else `runningOs`.
    static std::unique_ptr<StateFileLibrary> FromEnvironment(meru::Registry& registry, const std::string& stateValue,
                                                             const std::string& osValue, const OsVersion& runningOs,
                                                             Reporter report);

    void SetOs(const OsVersion& os) { library_.SetOs(os); }

    bool IsWindowsNT() override { return library_.IsWindowsNT(); }
    uint32_t OSGetPlatformVersion(uint32_t which) override { return library_.OSGetPlatformVersion(which); }
    uint32_t GetAdapterRegistryInfo(meru::AdapterRegistryInfo& info, const char* subkeyName) override;
    int32_t OpenAdapter(const char* adapterName) override;
    uint32_t GetLastError() override { return library_.GetLastError(); }
    void CloseAdapter(int32_t handle) override { library_.CloseAdapter(handle); }
    bool Close(int32_t handle) { return library_.Close(handle); }
    uint32_t MakeNdisRequest(int32_t handle, const meru::NdisRequest& request, void* overlapped) override;
    bool IsWindows95() override { return library_.IsWindows95(); }

private:
    void Refresh();
    void Report(const std::string& message);

    std::vector<std::unique_ptr<PersistentCard>> cards_;
    SoftwareLibrary library_;
    Reporter report_;
    std::set<std::string> reported_;
};

// The state-file paths of a VELOX_SIM_STATE value: paths separated by ";".
std::vector<std::string> SplitStatePaths(const std::string& value);
// The Windows a VELOX_SIM_OS value names: "2000", "nt4" or "9x".
std::optional<OsVersion> OsVersionNamed(const std::string& name);

}  // namespace sim
