#pragma once

#include <optional>
#include <string>
#include <vector>

#include "CardState.h"
#include "ImageFile.h"

namespace sim {

// The card as an update should leave it, computed by the card's side alone:
// the .pda files' words merged into the card's production data in order
// (then the radio calibration derived), every image plugged with that data
// and its own file name, the images stored at their addresses and, when a
// .pda file was merged, the merged data written as the card's PDA.
// nullopt with `why` where no update can succeed: the card's PDA fails its
// check value, or its domain is unknown.
std::optional<CardState> UpdatedCard(const CardState& before, const std::vector<ImageFile>& images,
                                     const std::vector<std::vector<uint16_t>>& pdaFiles, std::string& why);

// Where `card` differs from `expected`: the first differing flash address
// outside the production data area, or the production data (compared up to
// and with its end record). Empty when they agree.
std::string FlashDifference(const CardState& card, const CardState& expected);

}  // namespace sim
