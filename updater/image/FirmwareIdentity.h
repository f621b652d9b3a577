#pragma once

#include <cstdint>
#include <string>

namespace meru {

// A firmware component's identity: from an image's info records or read
// from the card. Ordered by major, then minor, then variant.
struct FirmwareIdentity {
    bool present = false;
    uint16_t componentId = 0;
    uint16_t major = 0;
    uint16_t minor = 0;
    uint16_t variant = 0;

    // "major.minor.variant" in decimal.
    std::string Text() const;
    // The difference of the first unequal pair (negative, zero, positive).
    int Compare(const FirmwareIdentity& other) const;
};

}  // namespace meru
