#include "StateFileLibrary.h"

#include <filesystem>

namespace sim {

StateFileLibrary::StateFileLibrary(meru::Registry& registry, const std::vector<std::string>& statePaths,
                                   Reporter report)
    : library_(registry), report_(std::move(report)) {
    for (const std::string& path : statePaths) cards_.push_back(std::make_unique<PersistentCard>(path));
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

std::vector<std::string> SplitStatePaths(const std::string& value) {
    std::vector<std::string> paths;
    std::string path;
    for (char c : value + ";") {
        if (c != ';') {
            path += c;
        } else if (!path.empty()) {
            paths.push_back(path);
            path.clear();
        }
    }
    return paths;
}

}  // namespace sim
