#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "Faults.h"
#include "SparseFlash.h"
#include "TrafficCounters.h"

namespace sim {

// A firmware component's identity and the interface range it supplies, as
// an image's identity block in flash announces it (see FlashIdentity.h).
struct IdentityBlock {
    uint16_t componentId = 0;
    uint16_t variant = 0;
    uint16_t major = 0;
    uint16_t minor = 0;
    uint16_t supplierInterface = 0;
    uint16_t supplierVariant = 0;
    uint16_t supplierBottom = 0;
    uint16_t supplierTop = 0;

    // The fields in the order above: the identity (first four), then the
    // supplier range, as the identity block and the records carry them.
    std::array<uint16_t, 8> Words() const;
    static IdentityBlock FromWords(const std::array<uint16_t, 8>& words);

    bool operator==(const IdentityBlock& other) const { return Words() == other.Words(); }
};

// What the card reports for one firmware component when its image in flash
// carries no identity block or file name: the values it left the factory with.
struct FactoryFirmware : IdentityBlock {
    std::string fileName;

    bool operator==(const FactoryFirmware& other) const {
        return IdentityBlock::operator==(other) && fileName == other.fileName;
    }
};

// Where the card is in a download session. Unblocking the protocols or
// concluding ends a session; the preparation must then be done again.
struct SessionState {
    bool auxEnabled = false;
    bool protocolsBlocked = false;
    // 0 nothing, 1 after the zero-length download at address 0, 2 after the
    // preparation write too: data downloads are accepted.
    int preparationStep = 0;

    bool operator==(const SessionState& other) const {
        return auxEnabled == other.auxEnabled && protocolsBlocked == other.protocolsBlocked &&
               preparationStep == other.preparationStep;
    }
};

// Everything a card is: what the state file holds.
struct CardState {
    uint16_t macType = 2;
    // The device name (NetCfgInstanceId) of the adapter this card sits in;
    // empty: any adapter whose description names VELOX.
    std::string deviceName;
    std::array<uint8_t, 6> permanentAddress = {};
    uint32_t driverVersion = 0;
    std::string vendorDescription;
    // The library's last error after a failed open: 6 when its driver is
    // present; any code whose low byte is not 6 means it could not start.
    uint32_t libraryLastError = 6;
    FactoryFirmware primary;
    FactoryFirmware station;
    // Records served as stored: RID -> data words (length word and RID excluded).
    std::map<uint16_t, std::vector<uint16_t>> records;
    SessionState session;
    FaultSet faults;
    uint32_t flakyReadCount = 0;  // advances at each flaky read
    TrafficCounters counters;
    FaultTally faultsFired;
    SparseFlash flash;

    bool operator==(const CardState& other) const;
};

}  // namespace sim
