#pragma once

#include <cstdint>
#include <string>

#include "card/AdapterHandle.h"

namespace meru {

class Pda;

// What the PDA tools read from the open card besides readPda.

// The adapter's permanent address as MAC text; "" when it cannot be read.
std::string PermanentAddressText(AdapterHandle& adapter);

// The card's production data area as raw words, read as readPda reads it
// (once more with the aux flag when the first read holds no records).
enum class RawPda {
    kUnreadable,  // neither read succeeded
    kInvalid,     // read, but no list with a matching check value
    kValid,       // `list` holds the records
};
RawPda ReadRawPda(AdapterHandle& adapter, uint16_t (&words)[AdapterHandle::kPdaWords], Pda& list);

}  // namespace meru
