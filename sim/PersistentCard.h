#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "SoftwareCard.h"

namespace sim {

// A software card kept in a state file, shared by every process that names
// the file: it is read again whenever the file changed since this process
// last read or wrote it.
class PersistentCard {
public:
    explicit PersistentCard(std::string path) : path_(std::move(path)) {}

    // Reads the file when it changed. False with a message when it cannot be
    // read or is malformed; the card then keeps what it had.
    bool Refresh(std::string& error);
    bool Save(std::string& error);

    bool Loaded() const { return loaded_; }
    const std::string& Path() const { return path_; }
    SoftwareCard& Card() { return card_; }

private:
    struct Stamp {
        bool exists = false;
        std::uintmax_t size = 0;
        std::filesystem::file_time_type time;
        bool operator==(const Stamp& other) const {
            return exists == other.exists && size == other.size && time == other.time;
        }
    };
    Stamp CurrentStamp() const;

    std::string path_;
    SoftwareCard card_;
    bool loaded_ = false;
    Stamp stamp_;
};

}  // namespace sim
