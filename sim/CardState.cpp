#include "CardState.h"

namespace sim {

std::array<uint16_t, 8> IdentityBlock::Words() const {
    return {componentId, variant, major, minor, supplierInterface, supplierVariant, supplierBottom, supplierTop};
}

IdentityBlock IdentityBlock::FromWords(const std::array<uint16_t, 8>& words) {
    return {words[0], words[1], words[2], words[3], words[4], words[5], words[6], words[7]};
}

bool CardState::operator==(const CardState& other) const {
    return macType == other.macType && deviceName == other.deviceName && permanentAddress == other.permanentAddress &&
           driverVersion == other.driverVersion && vendorDescription == other.vendorDescription &&
           libraryLastError == other.libraryLastError && primary == other.primary && station == other.station &&
           records == other.records && session == other.session && faults == other.faults &&
           flakyReadCount == other.flakyReadCount && counters == other.counters &&
           faultsFired == other.faultsFired && flash == other.flash;
}

}  // namespace sim
