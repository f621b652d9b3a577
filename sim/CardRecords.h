#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "CardState.h"

namespace sim {

// The records the card serves. Identities, supplier ranges and firmware file
// names are computed from flash (see FlashIdentity.h), the MAC identity from
// the MAC type; the others are stored in the card state.

// Records that are computed and so cannot be stored.
bool IsComputedRecord(uint16_t rid);

// The record's data words (without length word and RID), or nothing when
// the card has no such record (or it is made missing by a fault). The
// record's length word is the data word count + 1.
std::optional<std::vector<uint16_t>> RecordData(const CardState& card, uint16_t rid);

// The data words of the file-name record for a text: the text bytes, then
// zero bytes, so that the length word is (text bytes + 4) / 2 rounded up.
std::vector<uint16_t> TextRecordData(const std::string& text);

// The driver version the card reports: bit 31 set by the driver-too-old fault.
uint32_t ReportedDriverVersion(const CardState& card);

constexpr uint16_t kMacComponentId = 20;

}  // namespace sim
