#include "Compatibility.h"

#include <algorithm>
#include <cstdio>

#include "ImageInfo.h"
#include "TextFormat.h"

namespace meru {

bool RangesOverlap(uint16_t bottom1, uint16_t top1, uint16_t bottom2, uint16_t top2) {
    return std::max(bottom1, bottom2) <= std::min(top1, top2);
}

bool InterfaceRangesOverlap(const ImageInfo& a, const ImageInfo& b) {
    const CompatibilitySlot& slotA = a.compatibility[kPrimaryDriverInterface];
    const CompatibilitySlot& slotB = b.compatibility[kPrimaryDriverInterface];
    if (!slotA.present || !slotB.present) return false;
    return RangesOverlap(slotA.bottom, slotA.top, slotB.bottom, slotB.top);
}

bool InterfaceRangeFits(const ImageInfo& image, uint16_t bottom, uint16_t top) {
    const CompatibilitySlot& slot = image.compatibility[kPrimaryDriverInterface];
    if (!slot.present) return false;
    return RangesOverlap(slot.bottom, slot.top, bottom, top);
}

std::string RoleName(uint16_t role) {
    if (role == 0) return "Supplier";
    if (role == 1) return "Actor";
    return "Role " + std::to_string(role);
}

std::string InterfaceName(uint16_t interfaceId) {
    static const char* const kNames[] = {
        "", "Modem-Firmware", "Controller-Firmware", "Primary Firmware-Driver", "Station Firmware-Driver",
    };
    if (interfaceId < sizeof(kNames) / sizeof(kNames[0])) return kNames[interfaceId];
    return "Interface " + std::to_string(interfaceId);
}

bool CompatibilityText(const ImageInfo& image, std::string& output) {
    output += "\n  Compatibility:\n";
    bool any = false;
    for (uint16_t id = 1; id < ImageInfo::kCompatibilitySlots; ++id) {
        const CompatibilitySlot& slot = image.compatibility[id];
        if (!slot.present) continue;
        char range[64];
        velox::FormatText(range, sizeof range, ": Range=%u..%u Variant=%u\n", static_cast<unsigned>(slot.bottom),
                      static_cast<unsigned>(slot.top), static_cast<unsigned>(slot.variant));
        output += "    " + InterfaceName(id) + ": " + RoleName(slot.role) + range;
        any = true;
    }
    return any;
}

}  // namespace meru
