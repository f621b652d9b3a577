#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace sim {

// The production data as records by code, the card's own model of what an
// update makes of it: the card's list, .pda files applied on top, written
// back sorted by code and closed with a fresh check value.
class PdaRecords {
public:
    // The records of a stored area; nullopt when it has no valid end record.
    static std::optional<PdaRecords> FromArea(const std::vector<uint16_t>& words);

    // Applies a word stream as a .pda file gives it: each record replaces the
    // one of its code, a record of length 1 deletes it; up to an end record.
    void Apply(const std::vector<uint16_t>& words);

    const std::vector<uint16_t>* Find(uint16_t code) const;  // data words, without length and code
    void Put(uint16_t code, std::vector<uint16_t> data) { records_[code] = std::move(data); }

    // The records by ascending code, then the end record with its check value.
    std::vector<uint16_t> Words() const;

private:
    std::map<uint16_t, std::vector<uint16_t>> records_;
};

}  // namespace sim
