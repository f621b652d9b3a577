#pragma once

#include "image/Pda.h"
#include "image/PdaBackupText.h"

namespace meru {

// The card's production data area read for a write: read twice, whole,
// and kept only when both reads gave the same words, so that a backup of
// it holds what the card holds and not what one bad read made of it.
struct PdaArea {
    enum class State {
        kUnreadable,  // a read failed
        kUnsteady,    // two reads gave different words
        kInvalid,     // read, but no list with a matching check value
        kValid,       // `list` holds the records
    };
    State state = State::kUnreadable;
    PdaAreaWords words{};  // as read, unless kUnreadable or kUnsteady
    Pda list;              // the records when kValid, else empty

    bool Read() const { return state == State::kInvalid || state == State::kValid; }
};

}  // namespace meru
