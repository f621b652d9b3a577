#pragma once

#include "image/ImageLoadFailure.h"

namespace meru {

// What a failed image load tells the user before anything else happens:
// a resource the program does not carry gives "Firmware Resource Not
// Found."; an image that outgrew its room gives "Internal Error." and ends
// the program with exit code 1 (an image not held completely must never be
// programmed). The other failures were logged at their line and are told
// by the caller ("Error in file ...").
void ShowImageLoadStop(const ImageLoadFailure& failure);

}  // namespace meru
