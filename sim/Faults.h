#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace sim {

// When a fault rule strikes: at every matching use, at the next one only, or
// at the Nth one (counted from when the rule was set). Once and Nth rules are
// gone after they struck.
struct FaultTrigger {
    enum Mode { kAlways, kOnce, kNth };
    Mode mode = kAlways;
    uint32_t nth = 0;   // kNth: which use fails (1 = the next one)
    uint32_t seen = 0;  // kNth: matching uses so far

    // Counts one matching use; true when this use fails.
    bool Strike();
    bool Spent() const { return mode != kAlways && spent_; }

private:
    bool spent_ = false;
};

struct AddressRange {
    uint32_t low = 0;   // inclusive
    uint32_t high = 0;  // inclusive
};

// A request that the driver refuses with `status`.
struct OidRefusal {
    uint32_t oid = 0;
    FaultTrigger trigger;
    uint32_t status = 0;
};

// Data downloads (not the preparation step) that fail, optionally only
// those that touch `range`.
struct DownloadFailure {
    FaultTrigger trigger;
    uint32_t status = 0;
    std::optional<AddressRange> range;
};

// Data downloads that report success but store something else than they
// carry (a changed byte, or only their first half), optionally only those
// that touch `range`.
struct DownloadMishap {
    FaultTrigger trigger;
    std::optional<AddressRange> range;
};

// Aux reads touching `range` that are refused with `status`.
struct ReadRefusal {
    FaultTrigger trigger;
    uint32_t status = 0;
    AddressRange range;
};

// The card loses power after its `after`th stored data download: from then
// on it answers every request with `status` until it is inserted again.
struct PowerLoss {
    uint32_t after = 0;  // counts from 1
    uint32_t seen = 0;   // stored data downloads so far
    uint32_t status = 0;

    bool Lost() const { return seen >= after; }
};

// Everything that can be made to go wrong on a card.
struct FaultSet {
    std::vector<OidRefusal> refusals;
    std::vector<DownloadFailure> downloadFailures;
    std::vector<DownloadMishap> corruptDownloads;  // one byte stored changed
    std::vector<DownloadMishap> partialDownloads;  // only the first half stored
    std::vector<ReadRefusal> readRefusals;
    std::optional<PowerLoss> powerLoss;
    std::vector<AddressRange> flakyReads;  // aux reads there differ at every read
    std::set<uint16_t> missingRids;        // records the card cannot deliver
    bool driverTooOld = false;             // bit 31 of the driver version set
    bool pdaOnlyWithBit31 = false;         // PDA reads without bit 31 give erased bytes

    // The status to refuse this request with, when a rule strikes.
    std::optional<uint32_t> TakeRefusal(uint32_t oid);
    // The status to fail a data download of [address, address + count) with.
    // Addresses are compared after the card's decoding for `macType`.
    std::optional<uint32_t> TakeDownloadFailure(uint16_t macType, uint32_t address, uint32_t count);
    // Whether a data download of [address, address + count) is stored with a
    // byte changed, or only in part.
    bool TakeDownloadCorruption(uint16_t macType, uint32_t address, uint32_t count);
    bool TakePartialDownload(uint16_t macType, uint32_t address, uint32_t count);
    // The status to refuse an aux read of [address, address + count) with
    // (bit 31 already stripped).
    std::optional<uint32_t> TakeReadRefusal(uint16_t macType, uint32_t address, uint32_t count);
    // Counts a data download the card stored, towards a power loss.
    void CountStoredDownload();
    // The status every request gets while the card has no power.
    std::optional<uint32_t> PowerLostStatus() const;
    bool IsFlaky(uint16_t macType, uint32_t storageAddress) const;

    bool Empty() const;
    bool operator==(const FaultSet& other) const;
};

// How often each kind of fault struck, by the fault's keyword ("refuse",
// "download-fail", "download-corrupt", "download-partial", "read-refuse",
// "power-loss", "flaky-reads", "rid-missing", "driver-too-old",
// "pda-bit31-only"), and two conditions of the card that are no rules:
// "pda-bad-crc" (the production data area read whole while the list stored
// there fails its check value) and "library-error" (an open refused because
// the driver did not start). A fault that never struck has no entry.
using FaultTally = std::map<std::string, uint64_t>;

// Adds the fault described by `words` (the syntax of the "fault" lines of
// the state file, see sim/README.md). False with a message when malformed.
bool ParseFault(const std::vector<std::string>& words, FaultSet& faults, std::string& error);
// One description per rule, in the syntax ParseFault reads.
std::vector<std::string> DescribeFaults(const FaultSet& faults);

}  // namespace sim
