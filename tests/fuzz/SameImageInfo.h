#pragma once

// Whether two loads declared the same things in their firmware info records.

#include "image/ImageInfo.h"

namespace fuzz {

inline bool SameIdentity(const meru::FirmwareIdentity& a, const meru::FirmwareIdentity& b) {
    return a.present == b.present && a.componentId == b.componentId && a.major == b.major && a.minor == b.minor &&
           a.variant == b.variant;
}

inline bool SameImageInfo(const meru::ImageInfo& a, const meru::ImageInfo& b) {
    if (!SameIdentity(a.primary, b.primary) || !SameIdentity(a.station, b.station)) return false;
    if (a.buildSequence != b.buildSequence) return false;
    for (size_t i = 0; i < meru::ImageInfo::kCompatibilitySlots; ++i) {
        const meru::CompatibilitySlot& x = a.compatibility[i];
        const meru::CompatibilitySlot& y = b.compatibility[i];
        if (x.present != y.present || x.role != y.role || x.interfaceId != y.interfaceId || x.variant != y.variant ||
            x.bottom != y.bottom || x.top != y.top) {
            return false;
        }
    }
    for (size_t i = 0; i < meru::ImageInfo::kPlatformSlots; ++i) {
        const meru::PlatformSlot& x = a.platforms[i];
        const meru::PlatformSlot& y = b.platforms[i];
        if (x.present != y.present || x.platformId != y.platformId || x.extra[0] != y.extra[0] ||
            x.extra[1] != y.extra[1] || x.extra[2] != y.extra[2]) {
            return false;
        }
    }
    return true;
}

}  // namespace fuzz
