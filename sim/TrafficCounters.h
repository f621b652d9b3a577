#pragma once

#include <cstdint>
#include <map>

namespace sim {

// What reached the card, per OID: requests, those that did not succeed, and
// the information-buffer bytes they carried.
struct OidTraffic {
    uint64_t requests = 0;
    uint64_t failures = 0;
    uint64_t bytes = 0;

    bool operator==(const OidTraffic& other) const {
        return requests == other.requests && failures == other.failures && bytes == other.bytes;
    }
};

class TrafficCounters {
public:
    void Count(uint32_t oid, uint32_t length, uint32_t status) {
        OidTraffic& traffic = byOid_[oid];
        ++traffic.requests;
        if (status != 0) ++traffic.failures;
        traffic.bytes += length;
    }
    // Zero for an OID never seen.
    OidTraffic For(uint32_t oid) const {
        auto it = byOid_.find(oid);
        return it == byOid_.end() ? OidTraffic() : it->second;
    }
    uint64_t TotalRequests() const {
        uint64_t total = 0;
        for (const auto& entry : byOid_) total += entry.second.requests;
        return total;
    }
    void Reset() { byOid_.clear(); }
    void Set(uint32_t oid, const OidTraffic& traffic) { byOid_[oid] = traffic; }
    const std::map<uint32_t, OidTraffic>& All() const { return byOid_; }

    bool operator==(const TrafficCounters& other) const { return byOid_ == other.byOid_; }

private:
    std::map<uint32_t, OidTraffic> byOid_;
};

}  // namespace sim
