#include "CardState.h"

namespace sim {

bool IdentityBlock::operator==(const IdentityBlock& other) const {
    return componentId == other.componentId && variant == other.variant && major == other.major &&
           minor == other.minor && supplierInterface == other.supplierInterface &&
           supplierVariant == other.supplierVariant && supplierBottom == other.supplierBottom &&
           supplierTop == other.supplierTop;
}

bool CardState::operator==(const CardState& other) const {
    return macType == other.macType && deviceName == other.deviceName && permanentAddress == other.permanentAddress &&
           driverVersion == other.driverVersion && vendorDescription == other.vendorDescription &&
           libraryLastError == other.libraryLastError && primary == other.primary && station == other.station &&
           records == other.records && session == other.session && faults == other.faults &&
           flakyReadCount == other.flakyReadCount && counters == other.counters && flash == other.flash;
}

}  // namespace sim
