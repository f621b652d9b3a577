#pragma once

#include "base/ReportBox.h"
#include "card/CardNotice.h"

namespace testsupport {

// The card layer's notices shown as the updater shows them: each as a box
// through ReportBox (so recorded by RecordingMessageBoxes, and logged).
inline meru::CardNoticeSink NoticesAsBoxes() {
    return [](const meru::CardNotice& notice) { meru::ReportBox(nullptr, notice.text, notice.caption, notice.type); };
}

}  // namespace testsupport
