#pragma once

#include <functional>

#include "base/BoxStyle.h"

namespace meru {

// Something the card layer has to tell the user while it works (a driver
// too old, a refused read), worded with its caption and box style. The card
// layer shows nothing itself: it hands each notice, as it happens, to the
// sink its owner gave (the updater shows it as a message box).
struct CardNotice {
    const char* text;
    const char* caption;  // nullptr: the system's default caption
    unsigned type;
};

using CardNoticeSink = std::function<void(const CardNotice& notice)>;

}  // namespace meru
