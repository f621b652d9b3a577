#include "PersistentCard.h"

#include "StateFile.h"

namespace sim {

PersistentCard::Stamp PersistentCard::CurrentStamp() const {
    Stamp stamp;
    std::error_code failure;
    stamp.size = std::filesystem::file_size(path_, failure);
    if (failure) return stamp;
    stamp.time = std::filesystem::last_write_time(path_, failure);
    stamp.exists = !failure;
    return stamp;
}

bool PersistentCard::Refresh(std::string& error) {
    const Stamp stamp = CurrentStamp();
    if (loaded_ && stamp == stamp_) return true;
    CardState state;
    if (!LoadStateFile(path_, state, error)) return false;
    card_.State() = std::move(state);
    loaded_ = true;
    stamp_ = stamp;
    return true;
}

bool PersistentCard::Save(std::string& error) {
    if (!SaveStateFile(path_, card_.State(), error)) return false;
    stamp_ = CurrentStamp();
    return true;
}

}  // namespace sim
