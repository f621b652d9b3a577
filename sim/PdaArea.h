#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "CardState.h"

namespace sim {

// The production data area in the card's flash, as a word stream of records
// {length L, code, L-1 data words} closed by the end record {2, 0, CRC}.

// The 512 words at the card's PDA address.
std::vector<uint16_t> ReadPdaWords(const CardState& card);
// Writes the words at the card's PDA address; false when they do not fit.
bool WritePdaWords(CardState& card, const std::vector<uint16_t>& words);

// One record of a stream: its first word's index, length word and code.
struct PdaRecordSpan {
    size_t index = 0;
    uint16_t length = 0;
    uint16_t code = 0;
};

struct PdaLayout {
    std::vector<PdaRecordSpan> records;  // before the end record
    std::optional<size_t> endIndex;      // index of the end record
    uint16_t storedCrc = 0;              // its check value
    uint16_t computedCrc = 0;            // CRC of the records + {2, 0}
    bool CrcMatches() const { return endIndex.has_value() && storedCrc == computedCrc; }
};

// Walks the records of a word stream up to the end record, a record that
// would run past the stream, or a zero length word.
PdaLayout WalkPda(const std::vector<uint16_t>& words);

// Appends the end record with the correct check value.
void CloseWithCrc(std::vector<uint16_t>& words);

// Spoils the stored check value of the card's PDA; false without one.
bool CorruptPdaCrc(CardState& card);

// The first data word of record `code`, when present.
std::optional<uint16_t> PdaFirstDataWord(const std::vector<uint16_t>& words, uint16_t code);

}  // namespace sim
