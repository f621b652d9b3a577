#pragma once

#include <cstdint>
#include <string>

#include "CardLayout.h"
#include "CardState.h"
#include "FactoryCard.h"

namespace sim {

// The card behind the driver: answers every request of the VELOX miniport
// with real effects on its state, enforces the download protocol, applies
// the faults it was given and counts the traffic.
class SoftwareCard {
public:
    SoftwareCard() = default;
    explicit SoftwareCard(CardState state) : state_(std::move(state)) {}

    // A fresh card; see FactoryCard.h.
    static SoftwareCard Factory(uint16_t macType, uint16_t platformId, const FactoryOptions& options = {}) {
        return SoftwareCard(MakeFactoryCard(macType, platformId, options));
    }

    // One NDIS request. `buffer` is the caller's information buffer of
    // `length` bytes; nothing outside it is read or written. The NDIS status.
    uint32_t HandleRequest(uint32_t type, uint32_t oid, void* buffer, uint32_t length);

    CardState& State() { return state_; }
    const CardState& State() const { return state_; }
    CardLayout Layout() const { return LayoutFor(state_.macType); }
    const TrafficCounters& Counters() const { return state_.counters; }
    // How often each kind of fault struck (see FaultTally).
    const FaultTally& FaultsFired() const { return state_.faultsFired; }
    // Zeroes the traffic counters and the fault tally.
    void ResetCounters() {
        state_.counters.Reset();
        state_.faultsFired.clear();
    }
    // Adds a fault in the syntax of the state file's "fault" lines.
    bool AddFault(const std::string& description, std::string& error);
    // The card taken out and put back: power returns after a power loss
    // (whose rule is then gone) and the session starts afresh. The flash
    // keeps what it holds.
    void Reinsert();

private:
    uint32_t Dispatch(uint32_t type, uint32_t oid, uint8_t* buffer, uint32_t length);
    uint32_t ReadRid(uint8_t* buffer, uint32_t length);
    uint32_t Command(uint32_t oid, uint32_t length);
    uint32_t QueryFixed(uint32_t oid, uint8_t* buffer, uint32_t length);
    // Aux port (AuxPortRequests.cpp).
    uint32_t AuxRead(uint8_t* buffer, uint32_t length);
    uint32_t AuxWrite(uint8_t* buffer, uint32_t length);
    uint32_t Download(uint8_t* buffer, uint32_t length);
    void Fired(const char* kind) { ++state_.faultsFired[kind]; }

    CardState state_;
};

}  // namespace sim
