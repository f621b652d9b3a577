#pragma once

// The bytes a successfully loaded S-record text must have put into a
// FirmwareImage, worked out again from the text by the plainest means: the
// data records appended in order (a run that continues the last block
// extends it, anything else opens a new block) and the region markers
// written over bytes already held or appended. The fuzz target compares the
// image's chunk walk with this.

#include <cstdint>
#include <string>
#include <vector>

namespace fuzz {

struct ExpectedBlock {
    uint32_t startAddress = 0;
    std::vector<uint8_t> bytes;
};

// Only meaningful for a text that LoadText accepted: every non-empty line is
// then a well-formed record of at most 514 characters.
std::vector<ExpectedBlock> ExpectedBlocks(const std::string& text);

}  // namespace fuzz
