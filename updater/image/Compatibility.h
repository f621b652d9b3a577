#pragma once

#include <cstdint>
#include <string>

namespace meru {

class ImageInfo;

// The interface between primary firmware and the station firmware's driver side.
constexpr uint16_t kPrimaryDriverInterface = 3;

// True when [bottom1, top1] and [bottom2, top2] share at least one version.
bool RangesOverlap(uint16_t bottom1, uint16_t top1, uint16_t bottom2, uint16_t top2);

// The "Primary Firmware-Driver" ranges of both images overlap. An image that
// declares nothing for that interface is taken as incompatible: its slot
// holds whatever an earlier load left there.
bool InterfaceRangesOverlap(const ImageInfo& a, const ImageInfo& b);
// The image's "Primary Firmware-Driver" range overlaps [bottom, top]; false
// when the image declares nothing for that interface.
bool InterfaceRangeFits(const ImageInfo& image, uint16_t bottom, uint16_t top);

// "Supplier", "Actor", or "Role <n>" for any other value.
std::string RoleName(uint16_t role);
// The shown name of interface 0-4; "Interface <n>" above that.
std::string InterfaceName(uint16_t interfaceId);

// Appends the heading and one line per declared interface 1-4 to output;
// true when at least one interface line was appended.
bool CompatibilityText(const ImageInfo& image, std::string& output);

}  // namespace meru
