#include "FirmwareIdentity.h"

namespace meru {

std::string FirmwareIdentity::Text() const {
    return std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(variant);
}

int FirmwareIdentity::Compare(const FirmwareIdentity& other) const {
    if (major != other.major) return static_cast<int>(major) - static_cast<int>(other.major);
    if (minor != other.minor) return static_cast<int>(minor) - static_cast<int>(other.minor);
    return static_cast<int>(variant) - static_cast<int>(other.variant);
}

}  // namespace meru
