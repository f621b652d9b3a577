#include "app/ImageLoadStop.h"

#include "base/ProcessExit.h"
#include "base/ReportBox.h"

namespace meru {

void ShowImageLoadStop(const ImageLoadFailure& failure) {
    switch (failure.error) {
    case ImageLoadError::kResourceMissing:
        ReportBox(nullptr, "Internal Error - Resource could not be loaded.", "Firmware Resource Not Found.", kBoxOk);
        return;
    case ImageLoadError::kImageTooLarge:
        ReportBox(nullptr, "Memory allocation error. Cannot continue", "Internal Error.", kBoxOk);
        EndProcess(1);
    case ImageLoadError::kNone:
    case ImageLoadError::kFileNotFound:
    case ImageLoadError::kBadRecord:
    case ImageLoadError::kNoExecutionAddress: return;
    }
}

}  // namespace meru
