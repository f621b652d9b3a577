#include "StateFileLibrary.h"

#include <filesystem>

#include "TextNumbers.h"

namespace sim {

StateFileLibrary::StateFileLibrary(meru::Registry& registry, const std::vector<std::string>& statePaths,
                                   Reporter report)
    : library_(registry), report_(std::move(report)) {
    for (const std::string& path : statePaths) cards_.push_back(std::make_unique<PersistentCard>(path));
}

std::unique_ptr<StateFileLibrary> StateFileLibrary::FromEnvironment(meru::Registry& registry,
                                                                   const std::string& stateValue,
                                                                   const std::string& osValue,
                                                                   const OsVersion& runningOs, Reporter report) {
    const std::vector<std::string> paths = SplitStatePaths(stateValue);
    auto library = std::make_unique<StateFileLibrary>(registry, paths, std::move(report));
    if (paths.empty()) library->Report("VELOX_SIM_STATE names no state file: no card");
    library->SetOs(OsVersionNamed(osValue).value_or(runningOs));
    return library;
}

void StateFileLibrary::Report(const std::string& message) {
    if (reported_.insert(message).second && report_) report_("KBW32N50 (software card): " + message);
}

void StateFileLibrary::Refresh() {
    library_.DetachCards();
    std::optional<uint32_t> failure;
    for (const auto& card : cards_) {
        std::string error;
        if (!card->Refresh(error)) {
            Report(error);
            if (!card->Loaded() && !failure) {
                failure = std::filesystem::exists(card->Path()) ? kErrorFileCorrupt : 2u;
            }
        }
        if (card->Loaded()) library_.AttachCard(card->Card());
    }
    library_.SetDriverFailure(failure);
}

uint32_t StateFileLibrary::GetAdapterRegistryInfo(meru::AdapterRegistryInfo& info, const char* subkeyName) {
    Refresh();
    return library_.GetAdapterRegistryInfo(info, subkeyName);
}

int32_t StateFileLibrary::OpenAdapter(const char* adapterName) {
    Refresh();
    return library_.OpenAdapter(adapterName);
}

uint32_t StateFileLibrary::MakeNdisRequest(int32_t handle, const meru::NdisRequest& request, void* overlapped) {
    Refresh();
    const uint32_t status = library_.MakeNdisRequest(handle, request, overlapped);
    if (SoftwareCard* card = library_.CardOf(handle)) {
        for (const auto& persistent : cards_) {
            std::string error;
            if (&persistent->Card() == card && !persistent->Save(error)) Report(error);
        }
    }
    return status;
}

std::vector<std::string> SplitStatePaths(const std::string& value) { return SplitAt(value, ";"); }

std::optional<OsVersion> OsVersionNamed(const std::string& name) {
    if (name == "2000") return kWindows2000;
    if (name == "nt4") return kWindowsNT4;
    if (name == "9x") return kWindows9x;
    return std::nullopt;
}

}  // namespace sim
