#pragma once

#include <string>

#include "CardState.h"

namespace sim {

// The card's state as one human-readable text file (format: sim/README.md),
// so that separate processes see one card.

// The text of a state file.
std::string FormatState(const CardState& card);
// Reads a state file's text. False with "line N: ..." in `error` when it is
// malformed; `card` is then unchanged.
bool ParseState(const std::string& text, CardState& card, std::string& error);

// Reads/writes the file. Saving writes a temporary file beside it and
// renames it over the old one, so a reader never sees half a file.
bool LoadStateFile(const std::string& path, CardState& card, std::string& error);
bool SaveStateFile(const std::string& path, const CardState& card, std::string& error);

}  // namespace sim
