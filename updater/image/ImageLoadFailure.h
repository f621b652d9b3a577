#pragma once

#include <functional>

namespace meru {

// Why an image load gave no image, and at which line of its text. The
// loader logs the line's error as it finds it and shows nothing: the
// updater decides what the user is told.
enum class ImageLoadError {
    kNone,
    kFileNotFound,
    kBadRecord,           // the line's record is malformed or refused (logged)
    kNoExecutionAddress,  // the text ended without one
    kResourceMissing,     // the program does not carry that resource
    kImageTooLarge,       // the image outgrew the room an image has
};

struct ImageLoadFailure {
    ImageLoadError error = ImageLoadError::kNone;
    unsigned line = 0;  // 0: not a line's fault
};

// Told of a failed load as it happens, by code that loads images on its
// own account (the catalogue's choice for a platform).
using ImageLoadFailureSink = std::function<void(const ImageLoadFailure& failure)>;

}  // namespace meru
