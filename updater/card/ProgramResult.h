#pragma once

#include <cstdint>

namespace meru {

// What writing a firmware image into flash came to, and where it stopped.
// The card layer shows nothing: the caller tells the user from this.
struct ProgramResult {
    enum class Outcome {
        kWritten,             // every block written (and verified when asked)
        kNotOpen,             // the handle was closed: nothing was sent
        kProtocolsNotBlocked, // the driver refused to block the protocols: nothing written
        kAuxNotEnabled,       // the driver refused to enable the aux port: nothing written
        kBlockFailed,         // a block could not be written (or read back): the run stopped there
    };
    Outcome outcome = Outcome::kNotOpen;
    // kBlockFailed: the block (counted from 1 in the image's order), its
    // card address and the NDIS status of the last request for it.
    uint16_t block = 0;
    uint32_t address = 0;
    uint32_t status = 0;

    bool Written() const { return outcome == Outcome::kWritten; }
};

}  // namespace meru
